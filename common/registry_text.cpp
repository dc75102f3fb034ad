#include "registry_text.h"

#include <cstring>
#include <vector>

bool ReadRegistryText(HKEY key, const char* name, char* buffer, std::size_t bufferSize) {
    if (bufferSize == 0)
        return false;
    std::vector<char> scratch(bufferSize, '\0');
    DWORD size = static_cast<DWORD>(bufferSize);
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(scratch.data()),
                         &size) != ERROR_SUCCESS)
        return false;
    if (size > bufferSize)
        return false;
    // A value stored without terminator that fills the whole buffer has no room for one.
    if (size == bufferSize && scratch[bufferSize - 1] != '\0')
        return false;
    if (size < bufferSize)
        scratch[size] = '\0';
    std::memcpy(buffer, scratch.data(), bufferSize);
    return true;
}

LONG WriteRegistryText(HKEY key, const char* name, const char* text) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          static_cast<DWORD>(std::strlen(text) + 1));
}
