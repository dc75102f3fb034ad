#include "profile_text.h"

#include <windows.h>

#include <vector>

std::string ReadProfileText(const char* section, const char* key, const char* path) {
    // A value cut to the buffer comes back as size - 1 (or size - 2) characters, and one
    // that fills the buffer exactly looks the same: grow until the result is shorter.
    for (DWORD size = 1024;; size *= 2) {
        std::vector<char> buffer(size, '\0');
        const DWORD length = GetPrivateProfileStringA(section, key, "", buffer.data(), size, path);
        if (length + 2 < size)
            return std::string(buffer.data(), length);
    }
}
