// What TARNBOOK /setbindpassword reports. The resource library has no texts for it, so they
// are built in. None of them ever holds the password.
#ifndef TARN_PASSWORD_NOTICES_H
#define TARN_PASSWORD_NOTICES_H

#include <string>

// The password is stored; where names the key.
std::string PasswordStoredText(const std::string& where);

// Nothing was stored, and why.
std::string PasswordNotStoredText(const std::string& why);

#endif
