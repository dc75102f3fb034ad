// Reading a value of a profile file such as notes.ini whole, however long it is.
#ifndef TARN_PROFILE_TEXT_H
#define TARN_PROFILE_TEXT_H

#include <cstddef>
#include <string>

// The longest value the profile functions write whole. They carry a value as a counted
// string of at most 32,767 characters with its terminator: Windows refuses a longer one,
// and Wine cuts or garbles it and reports success.
constexpr std::size_t kLongestProfileValue = 32766;

// The value of key in section of the profile file path (a bare name is looked up in the
// Windows directory); empty when the file, the section or the key is missing.
std::string ReadProfileText(const char* section, const char* key, const char* path);

#endif
