#include "path_text.h"

#include <cstring>

bool DirectoryOfPath(const char* path, char* dir, std::size_t dirSize) {
    if (dirSize == 0)
        return false;
    dir[0] = '\0';
    const char* last = std::strrchr(path, '\\');
    std::size_t length = 0;
    if (last == nullptr)
        length = 0;
    else if (last == path)
        length = std::strlen(path);
    else
        length = static_cast<std::size_t>(last - path);
    if (length >= dirSize)
        return false;
    std::memcpy(dir, path, length);
    dir[length] = '\0';
    return true;
}

bool AppendToBuffer(char* buffer, std::size_t bufferSize, const char* suffix) {
    const std::size_t used = strnlen(buffer, bufferSize);
    const std::size_t extra = std::strlen(suffix);
    if (used >= bufferSize || extra >= bufferSize - used)
        return false;
    std::memcpy(buffer + used, suffix, extra + 1);
    return true;
}

bool CopyToBuffer(char* buffer, std::size_t bufferSize, const char* text) {
    const std::size_t length = std::strlen(text);
    if (length >= bufferSize)
        return false;
    std::memcpy(buffer, text, length + 1);
    return true;
}

namespace {
bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}
bool IsDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
// Skips one name of a share path; null when it is empty.
const char* AfterName(const char* text) {
    const char* end = text;
    while (*end != '\0' && !IsSeparator(*end))
        ++end;
    return end == text ? nullptr : end;
}
} // namespace

bool IsFullyQualifiedPath(const char* path) {
    if (path == nullptr)
        return false;
    if (IsDriveLetter(path[0]) && path[1] == ':')
        return IsSeparator(path[2]);
    if (!IsSeparator(path[0]) || !IsSeparator(path[1]))
        return false;
    // \\?\ and \\.\ hand the rest to the system as it stands.
    if ((path[2] == '?' || path[2] == '.') && IsSeparator(path[3]))
        return path[4] != '\0';
    // \\server\share: both names present.
    const char* server = AfterName(path + 2);
    return server != nullptr && IsSeparator(*server) && AfterName(server + 1) != nullptr;
}
