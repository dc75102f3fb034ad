#include "win_path.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

namespace driver {

namespace {

bool HasDriveLetter(const std::string& path) {
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

std::string RequiredFolder(const char* variable) {
    const std::string value = EnvironmentValue(variable);
    if (value.empty()) {
        ADD_FAILURE() << "the test bed variable " << variable
                      << " is not set: run the test through ctest";
        return std::string();
    }
    return WindowsPath(value);
}

} // namespace

std::string WindowsPath(const std::string& path) {
    if (path.empty() || HasDriveLetter(path) || path[0] == '\\')
        return path;
    std::string result = path[0] == '/' ? "Z:" + path : path;
    for (char& c : result) {
        if (c == '/')
            c = '\\';
    }
    return result;
}

std::string JoinPath(const std::string& dir, const std::string& name) {
    if (dir.empty())
        return name;
    if (dir.back() == '\\' || dir.back() == '/')
        return dir + name;
    return dir + "\\" + name;
}

std::string EnvironmentValue(const char* name) {
    const DWORD size = GetEnvironmentVariableA(name, nullptr, 0);
    if (size == 0)
        return std::string();
    std::vector<char> value(size);
    const DWORD length = GetEnvironmentVariableA(name, value.data(), size);
    return length < size ? std::string(value.data(), length) : std::string();
}

std::string BinDir() {
    return RequiredFolder("TARN_BIN_DIR");
}
std::string SourceDir() {
    return RequiredFolder("TARN_SOURCE_DIR");
}
std::string TestbedDir() {
    return RequiredFolder("TARN_TESTBED_DIR");
}

std::string BinFile(const std::string& name) {
    return JoinPath(BinDir(), name);
}

} // namespace driver
