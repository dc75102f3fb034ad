// The registry values the programs read and write, set and read back by the tests.
#ifndef TARN_TEST_REGISTRY_H
#define TARN_TEST_REGISTRY_H

#include <windows.h>

#include <optional>
#include <string>

#include "product_keys.h"

constexpr const char kLotusKey40[] = "SOFTWARE\\Lotus\\Notes\\4.0";
constexpr const char kLotusKey50[] = "SOFTWARE\\Lotus\\Notes\\5.0";

// Removes the product keys and their policy keys under both roots, the user's keys that stay
// on this computer and the Lotus Notes keys: a test's clean start.
void ResetProductRegistry();
void DeleteRegistryTree(HKEY root, const char* subkey);
bool RegistryKeyExists(HKEY root, const char* subkey);
void SetRegistryString(HKEY root, const char* subkey, const char* name, const std::string& value);
// Stores the bytes as they are, terminator or not, with the given type.
void SetRegistryBytes(HKEY root, const char* subkey, const char* name, DWORD type,
                      const std::string& bytes);
// A string value of every character, stored in UTF-16 from UTF-8.
void SetRegistryUtf8(HKEY root, const char* subkey, const char* name, const std::string& utf8,
                     DWORD type = REG_SZ);
// A string value read in UTF-16, as UTF-8, up to its first NUL.
std::optional<std::string> GetRegistryUtf8(HKEY root, const char* subkey, const char* name);
void SetRegistryDword(HKEY root, const char* subkey, const char* name, DWORD value);
// The stored bytes of a value (terminator included), or nothing when it is absent.
std::optional<std::string> GetRegistryBytes(HKEY root, const char* subkey, const char* name);
// The value as text without its terminator, or nothing when it is absent.
std::optional<std::string> GetRegistryString(HKEY root, const char* subkey, const char* name);

#endif
