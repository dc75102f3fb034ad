// Paths between the test bed and the programs under test. The test bed hands out unix paths
// (TARN_BIN_DIR, TARN_SOURCE_DIR, TARN_TESTBED_DIR); inside a Windows program under Wine a
// path is a Windows path, and drive Z: is the unix root, so /x/y is Z:\x\y.
#ifndef TARN_DRIVER_WIN_PATH_H
#define TARN_DRIVER_WIN_PATH_H

#include <string>

namespace driver {

// The Windows form of a path: a unix path becomes a path on drive Z:, with backslashes.
// A path that already has a drive letter or begins with a backslash is returned unchanged.
std::string WindowsPath(const std::string& path);

// dir and name joined by one backslash.
std::string JoinPath(const std::string& dir, const std::string& name);

// The value of an environment variable of the test, "" when it is not set.
std::string EnvironmentValue(const char* name);

// The test bed's folders as Windows paths. Each fails the test when its variable is not set.
std::string BinDir();     // TARN_BIN_DIR: every EXE and DLL of the build
std::string SourceDir();  // TARN_SOURCE_DIR: the source tree
std::string TestbedDir(); // TARN_TESTBED_DIR: the Wine prefix and the display

// A file of the build's bin folder, e.g. BinFile("TARNBOOK.exe").
std::string BinFile(const std::string& name);

} // namespace driver

#endif
