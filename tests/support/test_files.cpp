#include "test_files.h"

#include <windows.h>

#include <gtest/gtest.h>

std::string FreshTestDir(const std::string& name) {
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    const std::string root = std::string(temp) + "tarn-tests";
    CreateDirectoryA(root.c_str(), nullptr);
    const std::string dir = root + "\\" + name;
    driver::RemoveTree(dir);
    if (!CreateDirectoryA(dir.c_str(), nullptr))
        ADD_FAILURE() << "cannot create the test folder " << dir;
    return dir;
}

void CopyTestFile(const std::string& from, const std::string& to) {
    if (!CopyFileA(from.c_str(), to.c_str(), FALSE))
        ADD_FAILURE() << "cannot copy " << from << " to " << to;
}

void WriteWholeFile(const std::string& path, const std::string& content) {
    if (!driver::WriteTextFile(path, content))
        ADD_FAILURE() << "cannot write " << path;
}

std::string CurrentDirectory() {
    char dir[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof dir, dir);
    return dir;
}
