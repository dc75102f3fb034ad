// A fresh folder for one test's files (a notes.ini, a trace file, a program's answer),
// removed with everything in it when the object goes.
#ifndef TARN_DRIVER_TEMP_FOLDER_H
#define TARN_DRIVER_TEMP_FOLDER_H

#include <string>

namespace driver {

class TempFolder {
  public:
    TempFolder(); // a new, empty folder below the Windows temp folder
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const; // Path()\name

  private:
    std::string path_;
};

// Whole-file reads and writes for the tests' own files; ReadTextFile gives "" for a missing file.
bool WriteTextFile(const std::string& path, const std::string& content);
std::string ReadTextFile(const std::string& path);
bool FileExists(const std::string& path);
// Removes a folder with everything in it.
void RemoveTree(const std::string& folder);

} // namespace driver

#endif
