// Reading registry values into fixed buffers.
#ifndef TARN_REGISTRY_TEXT_H
#define TARN_REGISTRY_TEXT_H

#include <windows.h>

#include <cstddef>

// Reads the value name of key, whatever its stored type, as text into buffer (of
// bufferSize bytes). On success the buffer holds the bytes read and a terminator inside
// it; a value that is missing, or that does not fit with a terminator, returns false and
// leaves the buffer as it was.
bool ReadRegistryText(HKEY key, const char* name, char* buffer, std::size_t bufferSize);

// Stores text as a string value of key, its size counting the terminator.
LONG WriteRegistryText(HKEY key, const char* name, const char* text);

#endif
