// Reading a value of a profile file such as notes.ini whole, however long it is.
#ifndef TARN_PROFILE_TEXT_H
#define TARN_PROFILE_TEXT_H

#include <string>

// The value of key in section of the profile file path (a bare name is looked up in the
// Windows directory); empty when the file, the section or the key is missing.
std::string ReadProfileText(const char* section, const char* key, const char* path);

#endif
