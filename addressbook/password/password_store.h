// The bind password at rest: encrypted with the Data Protection API, machine scope under the
// machine-wide key and user scope under the per-user key, stored as BindPassword.
#ifndef TARN_PASSWORD_STORE_H
#define TARN_PASSWORD_STORE_H

#include "secret_text.h"

#include <windows.h>

#include <string>
#include <vector>

// An encrypted password as stored, and the key it was read from ("" when none is stored).
struct StoredPassword {
    std::vector<BYTE> blob;
    std::string where;
};

// Reads BindPassword of key (any size up to 64 KiB) into stored; where names the key. An
// absent value leaves stored as it was, so that the later root wins as for the other values.
void ReadStoredPassword(HKEY key, const std::string& where, StoredPassword& stored);

// Encrypts password for this computer (machineScope) or for this user. Returns 0 or the
// system's error code.
DWORD ProtectPassword(SecretText& password, bool machineScope, std::vector<BYTE>& blob);

// Decrypts a stored password into password. Returns 0 or the system's error code.
DWORD UnprotectPassword(const std::vector<BYTE>& blob, SecretText& password);

// Encrypts password and stores it under the machine-wide key when that can be written, else
// under the per-user key. On success where names the key; on failure error says why.
bool StoreBindPassword(SecretText& password, std::string& where, std::string& error);

// The full name of the settings key under a root, as the messages show it.
std::string SettingsKeyName(HKEY root);

#endif
