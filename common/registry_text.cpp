#include "registry_text.h"

#include "unicode_text.h"

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

namespace {

std::wstring WideName(const char* name) {
    return std::wstring(name, name + std::strlen(name));
}

} // namespace

bool ReadRegistryWide(HKEY key, const char* name, std::size_t bufferSize, std::wstring& text) {
    if (bufferSize == 0)
        return false;
    const std::wstring wideName = WideName(name);
    DWORD type = REG_NONE;
    if (RegQueryValueExW(key, wideName.c_str(), nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ) {
        // Not stored as text: its bytes, as the code page reads them.
        std::vector<char> bytes(bufferSize, '\0');
        if (!ReadRegistryText(key, name, bytes.data(), bufferSize))
            return false;
        const int length = static_cast<int>(std::strlen(bytes.data()));
        std::wstring wide(static_cast<std::size_t>(length), L'\0');
        const int made =
            length == 0 ? 0
                        : MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, &wide[0], length);
        wide.resize(static_cast<std::size_t>(made > 0 ? made : 0));
        text = wide;
        return true;
    }
    std::vector<wchar_t> scratch(bufferSize, L'\0');
    const DWORD bytes = static_cast<DWORD>(bufferSize * sizeof(wchar_t));
    DWORD size = bytes;
    if (RegQueryValueExW(key, wideName.c_str(), nullptr, nullptr,
                         reinterpret_cast<BYTE*>(scratch.data()), &size) != ERROR_SUCCESS ||
        size > bytes)
        return false;
    // A value stored without terminator that fills the whole buffer has no room for one; an odd
    // last byte is no character.
    const std::size_t chars = size / sizeof(wchar_t);
    if (chars == bufferSize && scratch[bufferSize - 1] != L'\0')
        return false;
    if (chars < bufferSize)
        scratch[chars] = L'\0';
    text = scratch.data();
    return true;
}

bool ReadRegistryUtf8(HKEY key, const char* name, std::size_t bufferSize, std::string& text) {
    std::wstring wide;
    if (!ReadRegistryWide(key, name, bufferSize, wide))
        return false;
    text = Utf8FromWide(wide.data(), wide.size());
    return true;
}

LONG WriteRegistryUtf8(HKEY key, const char* name, const std::string& text) {
    std::wstring wide;
    WideFromUtf8(text, wide);
    return RegSetValueExW(key, WideName(name).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(wide.c_str()),
                          static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}
