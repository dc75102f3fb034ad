#include "password_store.h"

#include "product_keys.h"
#include "system_error.h"
#include "win_handles.h"

#include <wincrypt.h>

namespace {

constexpr DWORD kLargestBlob = 65536;

// Binds the encrypted password to this program's use of it: a blob made by another program
// for another purpose does not decrypt as ours.
DATA_BLOB Entropy() {
    static char purpose[] = "TARNBOOK directory bind password";
    return {static_cast<DWORD>(sizeof purpose - 1), reinterpret_cast<BYTE*>(purpose)};
}

// What the Data Protection API allocated: cleared and freed on every way out.
class ProtectedOutput {
  public:
    ProtectedOutput() = default;
    ~ProtectedOutput() {
        if (blob.pbData) {
            SecureZeroMemory(blob.pbData, blob.cbData);
            LocalFree(blob.pbData);
        }
    }
    ProtectedOutput(const ProtectedOutput&) = delete;
    ProtectedOutput& operator=(const ProtectedOutput&) = delete;
    DATA_BLOB blob = {0, nullptr};
};

} // namespace

std::string SettingsKeyName(HKEY root) {
    return std::string(root == HKEY_LOCAL_MACHINE ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER") +
           "\\" TARN_NOTES_KEY;
}

void ReadStoredPassword(HKEY key, const std::string& where, StoredPassword& stored) {
    DWORD size = 0;
    if (RegQueryValueExA(key, kBindPasswordValue, nullptr, nullptr, nullptr, &size) !=
            ERROR_SUCCESS ||
        size > kLargestBlob)
        return;
    std::vector<BYTE> blob(size);
    if (RegQueryValueExA(key, kBindPasswordValue, nullptr, nullptr, blob.data(), &size) !=
        ERROR_SUCCESS)
        return;
    blob.resize(size);
    stored.blob = std::move(blob);
    stored.where = where;
}

DWORD ProtectPassword(SecretText& password, bool machineScope, std::vector<BYTE>& blob) {
    DATA_BLOB plain = {static_cast<DWORD>(password.size()),
                       reinterpret_cast<BYTE*>(password.c_str())};
    DATA_BLOB entropy = Entropy();
    ProtectedOutput output;
    const DWORD flags = CRYPTPROTECT_UI_FORBIDDEN | (machineScope ? CRYPTPROTECT_LOCAL_MACHINE : 0);
    if (!CryptProtectData(&plain, L"Directory bind password", &entropy, nullptr, nullptr, flags,
                          &output.blob))
        return GetLastError();
    blob.assign(output.blob.pbData, output.blob.pbData + output.blob.cbData);
    return ERROR_SUCCESS;
}

DWORD UnprotectPassword(const std::vector<BYTE>& blob, SecretText& password) {
    DATA_BLOB stored = {static_cast<DWORD>(blob.size()), const_cast<BYTE*>(blob.data())};
    DATA_BLOB entropy = Entropy();
    ProtectedOutput output;
    if (!CryptUnprotectData(&stored, nullptr, &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                            &output.blob)) {
        const DWORD error = GetLastError();
        return error == ERROR_SUCCESS ? static_cast<DWORD>(ERROR_INVALID_DATA) : error;
    }
    password.Assign(reinterpret_cast<const char*>(output.blob.pbData), output.blob.cbData);
    return ERROR_SUCCESS;
}

bool StoreBindPassword(SecretText& password, std::string& where, std::string& error) {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        RegKey key;
        const LONG opened =
            RegCreateKeyExA(root, TARN_NOTES_KEY, 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_SET_VALUE, nullptr, key.receive(), nullptr);
        if (opened != ERROR_SUCCESS) {
            error = SettingsKeyName(root) + ": " + SystemErrorWords(static_cast<DWORD>(opened));
            continue;
        }
        std::vector<BYTE> blob;
        const DWORD encrypted = ProtectPassword(password, root == HKEY_LOCAL_MACHINE, blob);
        if (encrypted != ERROR_SUCCESS) {
            error = "the password could not be encrypted (" + SystemErrorWords(encrypted) + ")";
            return false;
        }
        const LONG written = RegSetValueExA(key.get(), kBindPasswordValue, 0, REG_BINARY,
                                            blob.data(), static_cast<DWORD>(blob.size()));
        if (written != ERROR_SUCCESS) {
            error = SettingsKeyName(root) + ": " + SystemErrorWords(static_cast<DWORD>(written));
            continue;
        }
        where = SettingsKeyName(root);
        return true;
    }
    return false;
}
