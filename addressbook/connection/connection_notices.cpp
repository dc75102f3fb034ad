#include "connection_notices.h"

#include "ldap_codes.h"

namespace {

const char kStoreAgain[] = "TARNBOOK /setbindpassword";

} // namespace

std::string SessionOptionRefusedText(const std::string& option, const std::string& reason) {
    return "The LDAP client library refused the session option \"" + option + "\" (" + reason +
           ")." + kNothingReadText;
}

std::string ServerSilentText(const std::string& host, int port, unsigned seconds) {
    return "The directory server " + host + ":" + std::to_string(port) + " did not answer within " +
           std::to_string(seconds) + " seconds. The address book was not changed.";
}

std::string WithServerWords(const std::string& reason, const std::string& diagnostic) {
    return diagnostic.empty() ? reason : reason + " (" + diagnostic + ")";
}

std::string UnknownSettingText(const std::string& name, const std::string& value,
                               const std::string& known) {
    return "The registry value " + name + " holds \"" + value +
           "\", which this program does not know (" + known + ")." + kNothingReadText;
}

std::string AccountMissingText() {
    return std::string("BindMethod simple needs an account in BindUser and its password, "
                       "stored with ") +
           kStoreAgain + "." + kNothingReadText;
}

std::string ClearTextBindRefusedText(const std::string& account) {
    return "The account " + account +
           " would sign in with its password unencrypted: BindMethod is simple and Security is "
           "none. Set Security to ldaps or starttls." +
           kNothingReadText;
}

std::string ClearTextBindText(const std::string& account, const std::string& server) {
    return "The password of the account " + account + " went to the directory server " + server +
           " unencrypted: BindMethod is simple, Security is none and AllowClearTextBind is 1.";
}

std::string NtlmRefusedText(const std::string& account, const std::string& server,
                            const std::string& service, const std::string& reason) {
    return "Kerberos cannot sign in " + account + " to the directory server " + server + " (" +
           reason + ", for " + service +
           "), and over plain LDAP this program does not fall back to NTLM, which would hand the "
           "sign-in to a server that has not proved who it is. Set Security to ldaps or "
           "starttls; or, where the site accepts that risk, set AllowNtlm to 1. No sign-in was "
           "sent." +
           kNothingReadText;
}

std::string KerberosOnlyBindRefusedText(const std::string& refusal) {
    return refusal +
           " The sign-in was kept to Kerberos over plain LDAP; where the server takes only NTLM, "
           "set Security to ldaps or starttls, or, where the site accepts the risk, AllowNtlm "
           "to 1.";
}

std::string NtlmAllowedText(const std::string& account, const std::string& server) {
    return "The Negotiate sign-in of " + account + " to the directory server " + server +
           " may use NTLM over plain LDAP, where the server does not prove who it is: Security "
           "is none and AllowNtlm is 1.";
}

std::string PasswordMissingText(const std::string& account) {
    return "No password is stored for the account " + account + " (BindPassword). Store it with " +
           kStoreAgain + "." + kNothingReadText;
}

std::string PasswordUnreadableText(const std::string& where, const std::string& reason) {
    return "The password stored in BindPassword under " + where +
           " cannot be decrypted on this computer by this user (" + reason +
           "): it was stored on another computer or by another user. Store it again here with " +
           kStoreAgain + "." + kNothingReadText;
}

std::string BindRefusedText(unsigned long code, const std::string& reason,
                            const std::string& method, const std::string& account,
                            const std::string& server) {
    const std::string as = account.empty() ? std::string("anonymously") : "as " + account;
    switch (code) {
    case kLdapInvalidCredentials:
        return reason + ": the directory server " + server + " refused the account " + account +
               " with the stored password. Check BindUser and BindDomain, or store the password "
               "again with " +
               kStoreAgain + "." + kNothingReadText;
    case kLdapAuthMethodNotSupported:
    case kLdapInappropriateAuth:
    case kLdapAuthUnknown:
    case kLdapNotSupported:
        return reason + ": the directory server " + server + " does not offer the sign-in method " +
               method + ". Choose another BindMethod." + kNothingReadText;
    case kLdapStrongAuthRequired:
    case kLdapConfidentialityRequired:
        return reason + ": the directory server " + server + " does not take a sign-in " + as +
               " over this connection. Set Security to ldaps or starttls, or BindMethod to "
               "negotiate." +
               kNothingReadText;
    default:
        return reason + " (signing in " + as + " to " + server + ")." + kNothingReadText;
    }
}

bool IsReadRefusal(unsigned long code) {
    return code == kLdapOperationsError || code == kLdapStrongAuthRequired ||
           code == kLdapConfidentialityRequired || code == kLdapInsufficientRights;
}

std::string SearchRefusedText(unsigned long code, const std::string& reason,
                              const std::string& account) {
    const bool refused = IsReadRefusal(code);
    if (account.empty() && refused)
        return reason +
               ": the directory server does not let anonymous clients read it. Set BindMethod "
               "to negotiate or simple.";
    if (!account.empty() && (refused || code == kLdapNoSuchObject))
        return reason + ": the account " + account + " may not read the search base.";
    return reason;
}
