#include "planted_libraries.h"

#include "test_files.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>

PlantedLibraries::PlantedLibraries(const std::string& testName)
    : currentDir_(FreshTestDir(testName + "-planted-current")),
      pathDir_(FreshTestDir(testName + "-planted-path")),
      markFile_(FreshTestDir(testName + "-planted-mark") + "\\code-ran.txt"),
      driveRootLibrary_(currentDir_.substr(0, 3) + "nnotes.dll") {
    const std::string bin = driver::BinDir() + "\\";
    for (const std::string& folder : {currentDir_, pathDir_}) {
        for (const char* name : {"tarnlang.dll", "tarnhook.dll"})
            CopyTestFile(bin + name, folder + "\\" + name);
        CopyTestFile(bin + "tarnhook.dll", folder + "\\nnotes.dll");
    }
    // The test folders lie on a drive of the test bed's own (C: of its Wine prefix), whose root
    // a test may write.
    EXPECT_EQ(currentDir_.substr(1, 2), ":\\") << "not on a drive: " << currentDir_;
    CopyTestFile(bin + "tarnhook.dll", driveRootLibrary_);
}

PlantedLibraries::~PlantedLibraries() {
    DeleteFileA(driveRootLibrary_.c_str());
}

void PlantedLibraries::Apply(driver::LaunchOptions& options) const {
    char path[32768] = "";
    const DWORD length = GetEnvironmentVariableA("PATH", path, sizeof path);
    const std::string inherited = length > 0 && length < sizeof path ? path : "";
    options.WorkingDirectory(currentDir_)
        .SetEnvironment("PATH", pathDir_ + ";" + inherited)
        .SetEnvironment("TARN_LOAD_MARK", markFile_);
}

std::string PlantedLibraries::Placed(std::string text) const {
    for (std::string::size_type at; (at = text.find_first_of("~@")) != std::string::npos;)
        text.replace(at, 1, text[at] == '~' ? currentDir_.substr(0, 2) : currentDir_.substr(2));
    return text;
}

std::vector<std::string> PlantedLibraries::CodeRan() const {
    std::vector<std::string> paths;
    std::istringstream lines(driver::ReadTextFile(markFile_));
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            paths.push_back(line);
    }
    return paths;
}
