// The settings that say how the download signs in to the directory, as read from the
// registry, machine-wide then per user.
#ifndef TARN_DIRECTORY_ACCESS_H
#define TARN_DIRECTORY_ACCESS_H

#include "password/password_store.h"

#include <string>

struct DirectoryAccess {
    std::string method;         // BindMethod
    std::string user;           // BindUser
    std::string domain;         // BindDomain
    std::string security;       // Security
    std::string allowClearText; // AllowClearTextBind
    std::string allowNtlm;      // AllowNtlm
    StoredPassword password;
};

#endif
