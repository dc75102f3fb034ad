#include "bind_settings.h"

#include <cctype>

namespace {

bool SameWord(const std::string& value, const char* word) {
    std::string::size_type i = 0;
    for (; i < value.size() && word[i]; ++i) {
        if (std::tolower(static_cast<unsigned char>(value[i])) != word[i])
            return false;
    }
    return i == value.size() && word[i] == '\0';
}

} // namespace

BindMethod ParseBindMethod(const std::string& value) {
    if (value.empty() || SameWord(value, "anonymous"))
        return BindMethod::Anonymous;
    if (SameWord(value, "negotiate"))
        return BindMethod::Negotiate;
    if (SameWord(value, "simple"))
        return BindMethod::Simple;
    return BindMethod::Unknown;
}

ConnectionSecurity ParseSecurity(const std::string& value) {
    if (value.empty() || SameWord(value, "none"))
        return ConnectionSecurity::None;
    if (SameWord(value, "ldaps"))
        return ConnectionSecurity::Ldaps;
    if (SameWord(value, "starttls"))
        return ConnectionSecurity::StartTls;
    return ConnectionSecurity::Unknown;
}

bool AllowsClearTextBind(const std::string& value) {
    return value == "1";
}

ClearTextBind JudgeClearTextBind(BindMethod method, ConnectionSecurity security,
                                 bool clearTextAllowed) {
    if (method != BindMethod::Simple || security != ConnectionSecurity::None)
        return ClearTextBind::NotClearText;
    return clearTextAllowed ? ClearTextBind::Allowed : ClearTextBind::Refused;
}

bool AllowsNtlm(const std::string& value) {
    return value == "1";
}

NegotiatePackages JudgeNegotiatePackages(BindMethod method, ConnectionSecurity security,
                                         bool ntlmAllowed) {
    if (method != BindMethod::Negotiate)
        return NegotiatePackages::NotNegotiate;
    if (security != ConnectionSecurity::None)
        return NegotiatePackages::Any;
    return ntlmAllowed ? NegotiatePackages::NtlmInClear : NegotiatePackages::KerberosOnly;
}

int PortFor(ConnectionSecurity security, int storedPort) {
    if (storedPort == 0 && security == ConnectionSecurity::Ldaps)
        return 636;
    return storedPort;
}

std::string SimpleBindName(const std::string& user, const std::string& domain) {
    if (domain.empty() || user.find_first_of("@=\\") != std::string::npos)
        return user;
    if (domain.find('.') == std::string::npos)
        return domain + "\\" + user;
    return user + "@" + domain;
}

NegotiateAccount SplitNegotiateAccount(const std::string& user, const std::string& domain) {
    const std::string::size_type slash = user.find('\\');
    if (slash != std::string::npos && domain.empty())
        return {user.substr(slash + 1), user.substr(0, slash)};
    return {user, domain};
}
