#include "test_registry.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
HKEY CreateKey(HKEY root, const char* subkey) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, subkey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        ADD_FAILURE() << "cannot create registry key " << subkey;
    return key;
}

std::wstring WideOf(const std::string& utf8) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &wide[0], size);
    return wide.c_str();
}
} // namespace

void DeleteRegistryTree(HKEY root, const char* subkey) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subkey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    for (;;) {
        char child[256];
        DWORD size = sizeof child;
        if (RegEnumKeyExA(key, 0, child, &size, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        DeleteRegistryTree(key, child);
    }
    RegCloseKey(key);
    RegDeleteKeyA(root, subkey);
}

void ResetProductRegistry() {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        DeleteRegistryTree(root, TARN_PRODUCT_KEY);
        DeleteRegistryTree(root, TARN_POLICY_PRODUCT_KEY);
    }
    DeleteRegistryTree(HKEY_CURRENT_USER, TARN_LOCAL_PRODUCT_KEY);
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, kLotusKey40);
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, kLotusKey50);
}

bool RegistryKeyExists(HKEY root, const char* subkey) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void SetRegistryBytes(HKEY root, const char* subkey, const char* name, DWORD type,
                      const std::string& bytes) {
    HKEY key = CreateKey(root, subkey);
    if (!key)
        return;
    if (RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                       static_cast<DWORD>(bytes.size())) != ERROR_SUCCESS)
        ADD_FAILURE() << "cannot set registry value " << name;
    RegCloseKey(key);
}

void SetRegistryString(HKEY root, const char* subkey, const char* name, const std::string& value) {
    SetRegistryBytes(root, subkey, name, REG_SZ, std::string(value.c_str(), value.size() + 1));
}

void SetRegistryDword(HKEY root, const char* subkey, const char* name, DWORD value) {
    SetRegistryBytes(root, subkey, name, REG_DWORD,
                     std::string(reinterpret_cast<const char*>(&value), sizeof value));
}

std::optional<std::string> GetRegistryBytes(HKEY root, const char* subkey, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD size = 0;
    std::optional<std::string> result;
    if (RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
        std::vector<char> buffer(size + 1, '\0');
        if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()),
                             &size) == ERROR_SUCCESS)
            result = std::string(buffer.data(), size);
    }
    RegCloseKey(key);
    return result;
}

std::optional<std::string> GetRegistryString(HKEY root, const char* subkey, const char* name) {
    std::optional<std::string> bytes = GetRegistryBytes(root, subkey, name);
    if (bytes) {
        const std::size_t end = bytes->find('\0');
        if (end != std::string::npos)
            bytes->resize(end);
    }
    return bytes;
}

void SetRegistryUtf8(HKEY root, const char* subkey, const char* name, const std::string& utf8,
                     DWORD type) {
    const std::wstring wide = WideOf(utf8);
    const std::wstring wideName = WideOf(name);
    HKEY key = CreateKey(root, subkey);
    if (!key)
        return;
    if (RegSetValueExW(key, wideName.c_str(), 0, type, reinterpret_cast<const BYTE*>(wide.c_str()),
                       static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
        ADD_FAILURE() << "cannot set registry value " << name;
    RegCloseKey(key);
}

std::optional<std::string> GetRegistryUtf8(HKEY root, const char* subkey, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    const std::wstring wideName = WideOf(name);
    DWORD size = 0;
    std::optional<std::string> result;
    if (RegQueryValueExW(key, wideName.c_str(), nullptr, nullptr, nullptr, &size) ==
        ERROR_SUCCESS) {
        std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
        if (RegQueryValueExW(key, wideName.c_str(), nullptr, nullptr,
                             reinterpret_cast<BYTE*>(buffer.data()), &size) == ERROR_SUCCESS) {
            const std::wstring wide = buffer.data();
            const int bytes =
                WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
            std::string utf8(static_cast<std::size_t>(bytes > 0 ? bytes : 1), '\0');
            WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &utf8[0], bytes, nullptr, nullptr);
            result = utf8.c_str();
        }
    }
    RegCloseKey(key);
    return result;
}
