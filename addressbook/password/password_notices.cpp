#include "password_notices.h"

std::string PasswordStoredText(const std::string& where) {
    return "The bind password is stored, encrypted, in BindPassword under " + where + ".";
}

std::string PasswordNotStoredText(const std::string& why) {
    return "No bind password was stored: " + why;
}
