// Base64 (RFC 4648, with padding): a change marker's cookie kept in a text value, and the values
// of a published book's LDIF that are not plain text. Platform-free.
#ifndef TARN_BASE64_H
#define TARN_BASE64_H

#include <string>

std::string Base64(const std::string& bytes);
// False where text is not base64 as Base64 writes it: one text stands for one value.
bool FromBase64(const std::string& text, std::string& bytes);

#endif
