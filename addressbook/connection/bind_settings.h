// The settings that say how the download signs in to the directory and whether the connection
// is encrypted: BindMethod, BindUser, BindDomain, Security, AllowClearTextBind and AllowNtlm, as
// text from the registry.
#ifndef TARN_BIND_SETTINGS_H
#define TARN_BIND_SETTINGS_H

#include <string>

enum class BindMethod {
    Anonymous, // a simple bind with an empty name and password
    Negotiate, // Windows' integrated sign-on: the logged-on user, or the account named
    Simple,    // a name (a DN, user@domain or DOMAIN\user) and a password
    Unknown,
};

enum class ConnectionSecurity {
    None,     // plain LDAP
    Ldaps,    // TLS from the first byte
    StartTls, // plain LDAP turned into TLS before the bind
    Unknown,
};

// A missing or empty value is the default (anonymous, none); letter case does not count.
BindMethod ParseBindMethod(const std::string& value);
ConnectionSecurity ParseSecurity(const std::string& value);

// AllowClearTextBind: only "1" lets a simple bind send its password over plain LDAP; any other
// value, and none, refuses it.
bool AllowsClearTextBind(const std::string& value);

// Whether a bind would send a password unencrypted, and what becomes of it.
enum class ClearTextBind {
    NotClearText, // no password in clear: anonymous, Negotiate (signed and sealed), or TLS
    Refused,      // a simple bind over plain LDAP that AllowClearTextBind does not allow
    Allowed,      // a simple bind over plain LDAP that AllowClearTextBind=1 lets through
};
ClearTextBind JudgeClearTextBind(BindMethod method, ConnectionSecurity security,
                                 bool clearTextAllowed);

// AllowNtlm: only "1" lets a Negotiate bind over plain LDAP use NTLM; any other value, and
// none, keeps it to Kerberos.
bool AllowsNtlm(const std::string& value);

// The security packages a Negotiate bind may use. Kerberos proves the server's identity to the
// client; NTLM does not, so over plain LDAP a host that answers in the server's place would
// collect the NTLM response, to crack or relay.
enum class NegotiatePackages {
    NotNegotiate, // another bind method
    Any,          // over TLS, whose certificate check proved the server: as Negotiate chooses
    KerberosOnly, // over plain LDAP: Kerberos, or no bind at all
    NtlmInClear,  // over plain LDAP, AllowNtlm=1: NTLM too, which each run traces in red
};
NegotiatePackages JudgeNegotiatePackages(BindMethod method, ConnectionSecurity security,
                                         bool ntlmAllowed);

// The port to connect to: the stored one, or where none is stored (0) the well-known port of
// LDAP over TLS for ldaps; 0 otherwise, which leaves the library's plain LDAP port.
int PortFor(ConnectionSecurity security, int storedPort);

// The name of a simple bind: a DN, user@domain or DOMAIN\user as stored, else the bare user
// name joined to the domain in the form the domain's name asks for: a DNS name (with a dot)
// as user@domain, a down-level name (without one) as DOMAIN\user; Active Directory refuses
// user@DOMAIN, which is neither.
std::string SimpleBindName(const std::string& user, const std::string& domain);

// The account of a Negotiate bind as user and domain: DOMAIN\user is split, user@domain is
// kept whole with the domain as stored (Windows takes a user principal name so).
struct NegotiateAccount {
    std::string user;
    std::string domain;
    // As the download's messages name it: DOMAIN\user, or the user alone.
    std::string Name() const { return domain.empty() ? user : domain + "\\" + user; }
};
NegotiateAccount SplitNegotiateAccount(const std::string& user, const std::string& domain);

#endif
