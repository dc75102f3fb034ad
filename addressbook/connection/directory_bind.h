// Signing in to the directory: anonymously, with Windows' integrated sign-on (Negotiate) as
// the logged-on user or an account, or with a simple bind of a name and a password.
#ifndef TARN_DIRECTORY_BIND_H
#define TARN_DIRECTORY_BIND_H

#include "bind_settings.h"
#include "directory_access.h"
#include "ldap_handles.h"
#include "password/secret_text.h"

#include <string>

// The sign-in to make: the settings checked, the password decrypted.
struct BindRequest {
    BindMethod method = BindMethod::Anonymous;
    ConnectionSecurity security = ConnectionSecurity::None;
    std::string user;
    std::string domain;
    SecretText password; // empty where none is used
    // A simple bind over plain LDAP that AllowClearTextBind=1 lets send its password in clear.
    bool clearText = false;
    // What a Negotiate bind may use: over plain LDAP Kerberos alone, unless AllowNtlm=1.
    NegotiatePackages packages = NegotiatePackages::NotNegotiate;
    // The account as the messages name it; empty for an anonymous bind.
    std::string Account() const;
};

// Fills an SSPI identity (SEC_WINNT_AUTH_IDENTITY_A) with request's account for a
// Negotiate sign-in, its texts held by account while the identity is used. The logged-on user
// (no BindUser) leaves the identity empty: false.
template <typename Identity>
bool FillNegotiateIdentity(Identity& identity, BindRequest& request, NegotiateAccount& account) {
    if (request.user.empty())
        return false;
    account = SplitNegotiateAccount(request.user, request.domain);
    identity.User = reinterpret_cast<unsigned char*>(&account.user[0]);
    identity.UserLength = static_cast<unsigned long>(account.user.size());
    identity.Domain = reinterpret_cast<unsigned char*>(&account.domain[0]);
    identity.DomainLength = static_cast<unsigned long>(account.domain.size());
    identity.Password = reinterpret_cast<unsigned char*>(request.password.c_str());
    identity.PasswordLength = static_cast<unsigned long>(request.password.size());
    return true;
}

// Checks the settings and decrypts the password. A simple bind over plain LDAP is refused here,
// before anything is sent, unless AllowClearTextBind is 1. On failure problem holds the
// message.
bool PrepareBind(const DirectoryAccess& access, BindRequest& request, std::string& problem);

// Tells the client library, before it connects, to keep a Negotiate bind on session to Kerberos.
// False where the library cannot be kept to it: then no bind may be made.
bool KeepNegotiateToKerberos(LDAP* session);

// Binds as request says and clears the password from memory. A simple bind waits at most
// seconds for the answer (LDAP_TIMEOUT when none came); a Negotiate bind asks for signing and
// sealing first where the connection is not TLS, and is made under a session time limit of seconds
// that is put back to none after it. Returns the bind's result code; diagnostic receives the
// server's own words on it, where a simple bind's answer carried any.
ULONG BindToDirectory(LDAP* session, BindRequest& request, unsigned seconds,
                      std::string& diagnostic);

// The client library's code for its last failure; LDAP_SERVER_DOWN where it keeps none.
ULONG LastLdapError();

// The client library's text for a result code.
std::string LdapErrorText(ULONG code);

#endif
