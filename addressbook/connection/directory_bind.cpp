#include "directory_bind.h"

#include "connection_notices.h"
#include "system_error.h"
#include "trace.h"

#include <rpc.h>
#define SECURITY_WIN32
#include <sspi.h>

namespace {

// Waits at most seconds for the whole answer to the request message. Returns what ldap_result
// returns; a request left without answer is abandoned, so that nothing of it stays behind.
ULONG AwaitAnswer(LDAP* session, ULONG message, unsigned seconds, LdapResult& answer) {
    l_timeval bound = {static_cast<LONG>(seconds), 0};
    const ULONG got = ldap_result(session, message, LDAP_MSG_ALL, &bound, answer.receive());
    if (got == 0)
        ldap_abandon(session, message);
    return got;
}

// A simple bind of name and password, bounded in time. diagnostic receives the server's own
// words on a refusal, where it sent any.
ULONG BindSimply(LDAP* session, PCHAR name, PCHAR password, unsigned seconds,
                 std::string& diagnostic) {
    const ULONG message = ldap_simple_bindA(session, name, password);
    if (message == static_cast<ULONG>(-1)) {
        // The request could not even be sent (no connection). Not every library keeps the
        // reason for an asynchronous call; the synchronous bind reports it, and fails at once.
        return ldap_bind_sA(session, name, password, LDAP_AUTH_SIMPLE);
    }
    LdapResult answer;
    const ULONG got = AwaitAnswer(session, message, seconds, answer);
    if (got == 0)
        return LDAP_TIMEOUT;
    // No answer at all: the connection broke while the bind waited for it.
    if (got == static_cast<ULONG>(-1) || !answer.get())
        return LDAP_SERVER_DOWN;
    ULONG code = LDAP_SUCCESS;
    LdapText words;
    if (ldap_parse_resultA(session, answer.get(), &code, nullptr, words.receive(), nullptr, nullptr,
                           FALSE) != LDAP_SUCCESS)
        return ldap_result2error(session, answer.get(), FALSE);
    diagnostic = words.get() ? words.get() : "";
    return code;
}

// Asks the library to sign and seal what a Negotiate bind sets up, as Active Directory's
// signing policy requires of connections without TLS. A library that cannot is let through
// with a trace: the exchange is then protected only by what the sign-on itself negotiates.
ULONG AskForSigningAndSealing(LDAP* session) {
    const struct {
        int option;
        const char* name;
    } options[] = {{LDAP_OPT_SIGN, "signing"}, {LDAP_OPT_ENCRYPT, "sealing"}};
    for (const auto& option : options) {
        const ULONG code = ldap_set_option(session, option.option, LDAP_OPT_ON);
        if (code == LDAP_NOT_SUPPORTED) {
            Trace((std::string("The LDAP client library does not offer ") + option.name +
                   " of the Negotiate sign-on")
                      .c_str(),
                  kTraceBlue);
        } else if (code != LDAP_SUCCESS) {
            const char* text = ldap_err2stringA(code);
            Trace(SessionOptionRefusedText(option.name, text ? text : "").c_str(), kTraceRed);
            return code;
        }
    }
    return LDAP_SUCCESS;
}

ULONG BindNegotiate(LDAP* session, BindRequest& request) {
    if (request.security == ConnectionSecurity::None) {
        const ULONG asked = AskForSigningAndSealing(session);
        if (asked != LDAP_SUCCESS)
            return asked;
    }
    // The plain identity, whatever the packages: the client library was told before connecting
    // where a bind is kept to Kerberos (KeepNegotiateToKerberos). No credentials at all stand for
    // the logged-on user's own.
    SEC_WINNT_AUTH_IDENTITY_A identity = {};
    NegotiateAccount account;
    const bool given = FillNegotiateIdentity(identity, request, account);
    identity.Flags = SEC_WINNT_AUTH_IDENTITY_ANSI;
    const ULONG code =
        ldap_bind_sA(session, nullptr, given ? reinterpret_cast<PCHAR>(&identity) : nullptr,
                     LDAP_AUTH_NEGOTIATE);
    SecureZeroMemory(&identity, sizeof identity);
    return code;
}

// Sets the session's time limit to seconds; a refusal is traced under the option's name.
ULONG SetTimeLimit(LDAP* session, ULONG seconds, const char* name) {
    const ULONG code = ldap_set_option(session, LDAP_OPT_TIMELIMIT, &seconds);
    if (code != LDAP_SUCCESS) {
        const char* text = ldap_err2stringA(code);
        Trace(SessionOptionRefusedText(name, text ? text : "").c_str(), kTraceRed);
    }
    return code;
}

// The Negotiate bind, bounded like the simple bind. Its exchange runs inside the library's
// synchronous bind, which Windows' client bounds by the session's time limit, taking none (0)
// as its own default of 120 seconds. The limit is set for the bind and put back to none
// afterwards, so that the search is not limited by it.
ULONG BindNegotiateWithin(LDAP* session, BindRequest& request, unsigned seconds) {
    ULONG code = SetTimeLimit(session, seconds, "time limit of the bind");
    if (code != LDAP_SUCCESS)
        return code;
    code = BindNegotiate(session, request);
    const ULONG none = SetTimeLimit(session, 0, "no time limit");
    return code != LDAP_SUCCESS ? code : none;
}

} // namespace

std::string BindRequest::Account() const {
    switch (method) {
    case BindMethod::Simple:
        return SimpleBindName(user, domain);
    case BindMethod::Negotiate:
        return user.empty() ? std::string("the logged-on user")
                            : SplitNegotiateAccount(user, domain).Name();
    default:
        return std::string();
    }
}

bool PrepareBind(const DirectoryAccess& access, BindRequest& request, std::string& problem) {
    request.method = ParseBindMethod(access.method);
    request.security = ParseSecurity(access.security);
    request.packages =
        JudgeNegotiatePackages(request.method, request.security, AllowsNtlm(access.allowNtlm));
    request.user = access.user;
    request.domain = access.domain;
    if (request.method == BindMethod::Unknown) {
        problem = UnknownSettingText("BindMethod", access.method, "anonymous, negotiate or simple");
        return false;
    }
    if (request.security == ConnectionSecurity::Unknown) {
        problem = UnknownSettingText("Security", access.security, "none, ldaps or starttls");
        return false;
    }
    if (request.method == BindMethod::Anonymous ||
        (request.method == BindMethod::Negotiate && request.user.empty()))
        return true;
    if (request.user.empty()) {
        problem = AccountMissingText();
        return false;
    }
    // The password is not even decrypted for a bind that would send it in clear.
    const ClearTextBind clearText = JudgeClearTextBind(request.method, request.security,
                                                       AllowsClearTextBind(access.allowClearText));
    if (clearText == ClearTextBind::Refused) {
        problem = ClearTextBindRefusedText(request.Account());
        return false;
    }
    request.clearText = clearText == ClearTextBind::Allowed;
    // An empty password would make a simple bind an unauthenticated one, which servers answer
    // as if it were anonymous: a password is always needed with an account.
    if (access.password.blob.empty()) {
        problem = PasswordMissingText(request.Account());
        return false;
    }
    const DWORD decrypted = UnprotectPassword(access.password.blob, request.password);
    if (decrypted != ERROR_SUCCESS) {
        problem = PasswordUnreadableText(access.password.where, SystemErrorWords(decrypted));
        return false;
    }
    if (request.password.empty()) {
        problem = PasswordMissingText(request.Account());
        return false;
    }
    return true;
}

ULONG BindToDirectory(LDAP* session, BindRequest& request, unsigned seconds,
                      std::string& diagnostic) {
    ULONG code = LDAP_SUCCESS;
    switch (request.method) {
    case BindMethod::Negotiate:
        code = BindNegotiateWithin(session, request, seconds);
        break;
    case BindMethod::Simple: {
        std::string name = SimpleBindName(request.user, request.domain);
        code = BindSimply(session, &name[0], request.password.c_str(), seconds, diagnostic);
        break;
    }
    default:
        code =
            BindSimply(session, const_cast<PCHAR>(""), const_cast<PCHAR>(""), seconds, diagnostic);
        break;
    }
    request.password.Clear();
    return code;
}

ULONG LastLdapError() {
    const ULONG code = LdapGetLastError();
    return code == LDAP_SUCCESS ? static_cast<ULONG>(LDAP_SERVER_DOWN) : code;
}

std::string LdapErrorText(ULONG code) {
    const char* text = ldap_err2stringA(code);
    return text ? text : std::string();
}

bool KeepNegotiateToKerberos(LDAP* session) {
    // Microsoft's client takes the SASL mechanism of a Negotiate bind from the session: GSSAPI
    // carries Kerberos and nothing else, where SPNEGO would also offer NTLM. A client without
    // the option (Wine's signs in by SPNEGO whatever it is asked) cannot be kept to Kerberos.
    PWCHAR mechanism = const_cast<PWCHAR>(L"GSSAPI");
    return ldap_set_optionW(session, LDAP_OPT_SASL_METHOD, &mechanism) == LDAP_SUCCESS;
}
