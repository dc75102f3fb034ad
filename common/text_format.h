// Formatting of a loaded resource text with its one string argument.
#ifndef TARN_TEXT_FORMAT_H
#define TARN_TEXT_FORMAT_H

#include <string>

// Replaces every "%s" in format by arg and every "%%" by "%"; every other character,
// another conversion included, is copied as it stands. A resource text used as a format
// therefore can never read beyond its one argument.
std::string FormatWithArgument(const std::string& format, const std::string& arg);

#endif
