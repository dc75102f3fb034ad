#include "test_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {
void DeleteTree(const std::string& dir) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string path = dir + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                DeleteTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(dir.c_str());
}
} // namespace

std::string WindowsPath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string BinDir() {
    const char* bin = std::getenv("TARN_BIN_DIR");
    if (!bin || !*bin) {
        char module[MAX_PATH] = "";
        GetModuleFileNameA(nullptr, module, sizeof module);
        std::string dir = module;
        return dir.substr(0, dir.find_last_of('\\'));
    }
    return WindowsPath(bin);
}

std::string FreshTestDir(const std::string& name) {
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    const std::string root = std::string(temp) + "tarn-tests";
    CreateDirectoryA(root.c_str(), nullptr);
    const std::string dir = root + "\\" + name;
    DeleteTree(dir);
    if (!CreateDirectoryA(dir.c_str(), nullptr))
        ADD_FAILURE() << "cannot create the test folder " << dir;
    return dir;
}

void CopyTestFile(const std::string& from, const std::string& to) {
    if (!CopyFileA(from.c_str(), to.c_str(), FALSE))
        ADD_FAILURE() << "cannot copy " << from << " to " << to;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteWholeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out)
        ADD_FAILURE() << "cannot write " << path;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string CurrentDirectory() {
    char dir[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof dir, dir);
    return dir;
}
