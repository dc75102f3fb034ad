// Connecting to the directory: the session opened with every option the download relies on,
// the server's certificate checked before anything goes over TLS, and the sign-in the
// settings ask for, each bounded in time. The steps that wait on the network run on a thread of
// their own while the status window answers its messages.
#include "tarnbook_app.h"

#include "answering_call.h"
#include "certificate/certificate_check.h"
#include "certificate/certificate_notices.h"
#include "certificate/server_certificate.h"
#include "connection/connection_notices.h"
#include "connection/directory_bind.h"
#include "connection/kerberos_check.h"
#include "connection/session_options.h"
#include "download_notices.h"
#include "resource_ids.h"
#include "resource_text.h"
#include "search/utf8_search.h"
#include "status_dlg.h"
#include "trace.h"
#include "unicode_text.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace {

// The last guard on a blocking step of the connection: beyond the step's own bound (and the
// revocation lookup a certificate check may add), this much longer.
constexpr unsigned kStepMarginSeconds = 5;
constexpr unsigned kStepSeconds =
    kServerAnswerSeconds + kRevocationFetchMilliseconds / 1000 + kStepMarginSeconds;

// The port the session was opened on, as messages name it: the stored one, or the default
// port of the connection's security where none is stored.
int PortInUse(const DirectoryAccess& access, int storedPort) {
    return PortFor(ParseSecurity(access.security), storedPort);
}

// What keeps a bind from going over TLS: a certificate never checked, or refused; "" when the
// server's certificate was checked and taken.
std::string CertificateProblem(const CertificateVerdict& verdict, const std::string& server) {
    if (!verdict.checked)
        return CertificateNotCheckedText(server);
    if (!verdict.trusted)
        return CertificateRefusedText(server, verdict.reason);
    return std::string();
}

// Runs a blocking step of the connection on a thread of its own while the status window answers
// its messages; returns the step's LDAP code. A step is bounded itself: where it still has not
// returned after kStepSeconds, the session stays with it (held, never to be used or unbound
// again) and LDAP_TIMEOUT stands for its answer. The step owns what it uses: it captures copies
// or shared pointers, and nothing it goes on to write is read.
ULONG Blocking(std::function<ULONG()> step, bool& held) {
    ULONG code = LDAP_NO_MEMORY;
    if (CallAnsweringFor<ULONG>(std::move(step), kStepSeconds, code))
        return code;
    held = true;
    return LDAP_TIMEOUT;
}

// A certificate check arranged on a thread of its own: whether it was, and why not.
struct ArrangedCheck {
    bool arranged = false;
    std::string refused;
};

} // namespace

void CTarnbookApp::NameServerInUse() {
    m_nPortInUse = PortInUse(m_access, m_nPortNumber);
    m_strServer = m_strHostName + ":" + std::to_string(m_nPortInUse);
}

int CTarnbookApp::DoLDAPConnect() {
    Trace("DoLDAPConnect", kTraceBlue);
    NameServerInUse();
    CStatusDlg status(IDS_STATUS_CONNECTING, NotesMainWindow(), CStatusDlg::Placement::OverOwner);
    const std::string caption = LoadResourceText(IDS_TARNBOOK_CAPTION);

    // The sign-in the settings ask for, checked before anything is sent. It is shared with the
    // steps that use it, which may outlive the wait for them.
    const auto bind = std::make_shared<BindRequest>();
    std::string problem;
    if (!PrepareBind(m_access, *bind, problem)) {
        if (!m_bSilent)
            Trace(problem.c_str(), kTraceRed);
        Report(problem, caption);
        return 0;
    }
    const int port = m_nPortInUse;
    const std::string& server = m_strServer;
    // Over plain LDAP only Kerberos proves the server: where it cannot be had, nothing is sent,
    // not even a connection.
    if (bind->packages == NegotiatePackages::KerberosOnly) {
        const std::string host = m_strHostName;
        std::string why;
        if (!CallAnsweringFor<std::string>(
                [host, bind] { return KerberosUnavailable(host, *bind); }, kStepSeconds, why)) {
            // Still inside the security package: the process must not wait for it at its end.
            m_bCheckLeft = true;
            why = "no answer within " + std::to_string(kServerAnswerSeconds) + " seconds";
        }
        if (!why.empty()) {
            Report(NtlmRefusedText(bind->Account(), server, DirectoryService(m_strHostName), why),
                   caption);
            return 0;
        }
    }
    PCHAR host = const_cast<PCHAR>(m_strHostName.c_str());
    m_hLdap = bind->security == ConnectionSecurity::Ldaps
                  ? ldap_sslinitA(host, static_cast<ULONG>(port), 1)
                  : ldap_initA(host, static_cast<ULONG>(port));
    if (!m_hLdap) {
        // The library's own error for the failed opening; "server down" where it keeps none.
        Report(LdapErrorText(LastLdapError()), caption);
        return 0;
    }
    LDAP* const session = m_hLdap;
    // The session is set up as the download needs it, never left to the library's defaults.
    const SessionOptionsResult options = SetSessionOptions(session);
    if (options.code != LDAP_SUCCESS) {
        Report(SessionOptionRefusedText(options.refused, LdapErrorText(options.code)), caption);
        return 0;
    }
    // A bind kept to Kerberos goes only where the client library can be told so.
    if (bind->packages == NegotiatePackages::KerberosOnly && !KeepNegotiateToKerberos(session)) {
        Report(NtlmRefusedText(bind->Account(), server, DirectoryService(m_strHostName),
                               kClientNotKeptToKerberos),
               caption);
        return 0;
    }
    // A filter the client library refuses is named before anything is sent. (Some clients
    // check it only when the search is sent; the search reports it then.)
    const ULONG filter = CheckFilter(session, m_request.filter);
    if (filter != LDAP_SUCCESS) {
        Report(SearchFilterRefusedText(CodePageFromUtf8(m_request.filter), LdapErrorText(filter)),
               caption);
        return 0;
    }
    // Nothing goes over TLS before the server's certificate is known to be checked.
    if (bind->security != ConnectionSecurity::None) {
        const std::string name = m_strHostName;
        const ConnectionSecurity security = bind->security;
        ArrangedCheck check;
        if (!CallAnsweringFor<ArrangedCheck>(
                [session, name, port, security] {
                    ArrangedCheck made;
                    made.arranged = ArrangeCertificateCheck(session, name, port, security,
                                                            kServerAnswerSeconds, made.refused);
                    return made;
                },
                kStepSeconds, check)) {
            m_bSessionHeld = true;
            Report(ServerSilentText(m_strHostName, port, kServerAnswerSeconds), caption);
            return 0;
        }
        if (!check.arranged) {
            Report(check.refused, caption);
            return 0;
        }
    }
    // Neither connecting nor binding may wait for a silent server forever.
    ULONG result = Blocking(
        [session] {
            l_timeval bound = {static_cast<LONG>(kServerAnswerSeconds), 0};
            return ldap_connect(session, &bound);
        },
        m_bSessionHeld);
    // A step left behind may still be checking the certificate: nothing of it is read.
    if (m_bSessionHeld) {
        Report(ServerSilentText(m_strHostName, port, kServerAnswerSeconds), caption);
        return 0;
    }
    // A session without TLS has no certificate to speak of.
    CertificateVerdict verdict;
    if (bind->security != ConnectionSecurity::None)
        verdict = SessionCertificateVerdict(session);
    if (result != LDAP_SUCCESS && verdict.checked && !verdict.trusted) {
        Report(CertificateRefusedText(server, verdict.reason), caption);
        return 0;
    }
    if (result == LDAP_SUCCESS && bind->security == ConnectionSecurity::StartTls) {
        // The server's own code for the StartTLS request, beside the library's.
        std::pair<ULONG, ULONG> started(LDAP_TIMEOUT, LDAP_SUCCESS);
        if (!CallAnsweringFor<std::pair<ULONG, ULONG>>(
                [session] {
                    ULONG serverCode = LDAP_SUCCESS;
                    const ULONG code =
                        ldap_start_tls_sA(session, &serverCode, nullptr, nullptr, nullptr);
                    return std::make_pair(code, serverCode);
                },
                kStepSeconds, started))
            m_bSessionHeld = true;
        result = started.first;
        if (m_bSessionHeld) {
            Report(ServerSilentText(m_strHostName, port, kServerAnswerSeconds), caption);
            return 0;
        }
        verdict = SessionCertificateVerdict(session);
        if (result != LDAP_SUCCESS && verdict.checked && !verdict.trusted) {
            Report(CertificateRefusedText(server, verdict.reason), caption);
            return 0;
        }
        if (result != LDAP_SUCCESS) {
            Report(TlsFailedText(
                       server, "StartTLS",
                       LdapErrorText(started.second != LDAP_SUCCESS ? started.second : result)),
                   caption);
            return 0;
        }
    }
    // No sign-in goes over TLS before the server's certificate was checked and taken.
    if (result == LDAP_SUCCESS && bind->security != ConnectionSecurity::None) {
        const std::string refused = CertificateProblem(verdict, server);
        if (!refused.empty()) {
            Report(refused, caption);
            return 0;
        }
        if (verdict.revocationUnknown)
            Trace(RevocationUnknownText(server).c_str(), kTraceBlue);
    }
    // What the reports name of the sign-in, read before the bind's step shares the request.
    const std::string account = bind->Account();
    const bool clearText = bind->clearText;
    const NegotiatePackages packages = bind->packages;
    const BindMethod method = bind->method;
    if (result == LDAP_SUCCESS) {
        if (bind->packages == NegotiatePackages::NtlmInClear)
            Trace(NtlmAllowedText(account, server).c_str(), kTraceRed);
        // The bind's code and the server's own words on it.
        std::pair<ULONG, std::string> bound(LDAP_TIMEOUT, std::string());
        if (!CallAnsweringFor<std::pair<ULONG, std::string>>(
                [session, bind] {
                    std::pair<ULONG, std::string> made(LDAP_SUCCESS, std::string());
                    made.first = BindToDirectory(session, *bind, kServerAnswerSeconds, made.second);
                    return made;
                },
                kStepSeconds, bound))
            m_bSessionHeld = true;
        result = bound.first;
        if (clearText)
            Trace(ClearTextBindText(account, server).c_str(), kTraceRed);
        // A refused anonymous bind is reported in the library's words alone, as it always
        // was; a refused account is named with what to check.
        if (result != LDAP_SUCCESS && result != LDAP_TIMEOUT && method != BindMethod::Anonymous) {
            const std::string refusal =
                BindRefusedText(result, WithServerWords(LdapErrorText(result), bound.second),
                                m_access.method, account, server);
            Report(packages == NegotiatePackages::KerberosOnly
                       ? KerberosOnlyBindRefusedText(refusal)
                       : refusal,
                   caption);
            return 0;
        }
    }
    if (result == LDAP_TIMEOUT) {
        Report(ServerSilentText(m_strHostName, port, kServerAnswerSeconds), caption);
        return 0;
    }
    if (result != LDAP_SUCCESS) {
        Report(LdapErrorText(result), caption);
        return 0;
    }
    m_strBoundAccount = account;
    return 1;
}
