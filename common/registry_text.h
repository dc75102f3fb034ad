// Reading registry values into fixed buffers.
#ifndef TARN_REGISTRY_TEXT_H
#define TARN_REGISTRY_TEXT_H

#include <windows.h>

#include <cstddef>
#include <string>

// Reads the value name of key, whatever its stored type, as text into buffer (of
// bufferSize bytes). On success the buffer holds the bytes read and a terminator inside
// it; a value that is missing, or that does not fit with a terminator, returns false and
// leaves the buffer as it was.
bool ReadRegistryText(HKEY key, const char* name, char* buffer, std::size_t bufferSize);

// Reads the value name of key as UTF-16 into text, at most bufferSize characters with the
// terminator, under the same rules as ReadRegistryText. A string value (REG_SZ, REG_EXPAND_SZ,
// REG_MULTI_SZ) comes as stored, every character whole; any other type as its bytes taken as
// code-page text, as ReadRegistryText takes them. The text ends at its first NUL.
bool ReadRegistryWide(HKEY key, const char* name, std::size_t bufferSize, std::wstring& text);

// ReadRegistryWide's text as UTF-8.
bool ReadRegistryUtf8(HKEY key, const char* name, std::size_t bufferSize, std::string& text);

// Stores text as a string value of key, its size counting the terminator.
LONG WriteRegistryText(HKEY key, const char* name, const char* text);

// Stores UTF-8 text as a string value of key, every character whole.
LONG WriteRegistryUtf8(HKEY key, const char* name, const std::string& text);

#endif
