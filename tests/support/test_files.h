// Files and folders for the tests, in Windows paths.
#ifndef TARN_TEST_FILES_H
#define TARN_TEST_FILES_H

#include <string>

// The build's bin folder (TARN_BIN_DIR, a unix path) as a Windows path.
std::string BinDir();
// A unix path as the Windows path Wine gives it (drive Z: is the root).
std::string WindowsPath(const std::string& unixPath);
// A fresh, empty folder for one test: %TEMP%\tarn-tests\<name>.
std::string FreshTestDir(const std::string& name);
void CopyTestFile(const std::string& from, const std::string& to);
std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& content);
bool FileExists(const std::string& path);
std::string CurrentDirectory();

#endif
