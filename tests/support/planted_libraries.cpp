#include "planted_libraries.h"

#include "test_files.h"

#include <windows.h>

#include <sstream>

PlantedLibraries::PlantedLibraries(const std::string& testName)
    : currentDir_(FreshTestDir(testName + "-planted-current")),
      pathDir_(FreshTestDir(testName + "-planted-path")),
      markFile_(FreshTestDir(testName + "-planted-mark") + "\\code-ran.txt") {
    for (const std::string& folder : {currentDir_, pathDir_}) {
        for (const char* name : {"tarnlang.dll", "tarnhook.dll"})
            CopyTestFile(driver::BinDir() + "\\" + name, folder + "\\" + name);
    }
}

void PlantedLibraries::Apply(driver::LaunchOptions& options) const {
    char path[32768] = "";
    const DWORD length = GetEnvironmentVariableA("PATH", path, sizeof path);
    const std::string inherited = length > 0 && length < sizeof path ? path : "";
    options.WorkingDirectory(currentDir_)
        .SetEnvironment("PATH", pathDir_ + ";" + inherited)
        .SetEnvironment("TARN_LOAD_MARK", markFile_);
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
