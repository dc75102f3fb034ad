// Files and folders for the tests, in Windows paths. The bin folder and FileExists come
// from the driver (win_path.h, temp_folder.h).
#ifndef TARN_TEST_FILES_H
#define TARN_TEST_FILES_H

#include "temp_folder.h"
#include "win_path.h"

#include <string>

// A fresh, empty folder for one test: %TEMP%\tarn-tests\<name>.
std::string FreshTestDir(const std::string& name);
void CopyTestFile(const std::string& from, const std::string& to);
// Writes the file, failing the test when it cannot.
void WriteWholeFile(const std::string& path, const std::string& content);
std::string CurrentDirectory();

#endif
