// Connecting to the directory: the session opened with every option the download relies on,
// the server's certificate checked before anything goes over TLS, and the sign-in the
// settings ask for, each bounded in time.
#include "tarnbook_app.h"

#include "certificate/server_certificate.h"
#include "connection/connection_notices.h"
#include "connection/directory_bind.h"
#include "connection/session_options.h"
#include "resource_ids.h"
#include "search/download_notices.h"
#include "resource_text.h"
#include "status_dlg.h"
#include "trace.h"

#include <string>

namespace {

// The port the session was opened on, as messages name it: the stored one, or the default
// port of the connection's security where none is stored.
int PortInUse(const DirectoryAccess& access, int storedPort) {
    return PortFor(ParseSecurity(access.security), storedPort);
}

// What keeps a bind from going over TLS: a certificate never checked, or refused; "" when the
// server's certificate was checked and taken.
std::string CertificateProblem(const std::string& server) {
    const CertificateVerdict& verdict = SessionCertificateVerdict();
    if (!verdict.checked)
        return CertificateNotCheckedText(server);
    if (!verdict.trusted)
        return CertificateRefusedText(server, verdict.reason);
    return std::string();
}

} // namespace

int CTarnbookApp::DoLDAPConnect() {
    Trace("DoLDAPConnect", kTraceBlue);
    m_nPortInUse = PortInUse(m_access, m_nPortNumber);
    m_strServer = m_strHostName + ":" + std::to_string(m_nPortInUse);
    CStatusDlg status(IDS_STATUS_CONNECTING, NotesMainWindow(), CStatusDlg::Placement::OverOwner);
    const std::string caption = LoadResourceText(IDS_TARNBOOK_CAPTION);

    // The sign-in the settings ask for, checked before anything is sent.
    BindRequest bind;
    std::string problem;
    if (!PrepareBind(m_access, bind, problem)) {
        if (!m_bSilent)
            Trace(problem.c_str(), kTraceRed);
        Report(problem, caption);
        return 0;
    }
    const int port = m_nPortInUse;
    const std::string& server = m_strServer;
    PCHAR host = const_cast<PCHAR>(m_strHostName.c_str());
    m_hLdap = bind.security == ConnectionSecurity::Ldaps
                  ? ldap_sslinitA(host, static_cast<ULONG>(port), 1)
                  : ldap_initA(host, static_cast<ULONG>(port));
    if (!m_hLdap) {
        // The library's own error for the failed opening; "server down" where it keeps none.
        Report(LdapErrorText(LastLdapError()), caption);
        return 0;
    }
    // The session is set up as the download needs it, never left to the library's defaults.
    const SessionOptionsResult options = SetSessionOptions(m_hLdap);
    if (options.code != LDAP_SUCCESS) {
        Report(SessionOptionRefusedText(options.refused, LdapErrorText(options.code)), caption);
        return 0;
    }
    // A filter the client library refuses is named before anything is sent. (Some clients
    // check it only when the search is sent; the search reports it then.)
    const ULONG filter = ldap_check_filterA(m_hLdap, const_cast<PCHAR>(m_request.filter.c_str()));
    if (filter != LDAP_SUCCESS) {
        Report(SearchFilterRefusedText(m_request.filter, LdapErrorText(filter)), caption);
        return 0;
    }
    // Nothing goes over TLS before the server's certificate is known to be checked.
    if (bind.security != ConnectionSecurity::None &&
        !ArrangeCertificateCheck(m_hLdap, m_strHostName, port, bind.security, kServerAnswerSeconds,
                                 problem)) {
        Report(problem, caption);
        return 0;
    }
    // Neither connecting nor binding may wait for a silent server forever.
    l_timeval bound = {static_cast<LONG>(kServerAnswerSeconds), 0};
    ULONG result = ldap_connect(m_hLdap, &bound);
    if (result != LDAP_SUCCESS && SessionCertificateVerdict().checked &&
        !SessionCertificateVerdict().trusted) {
        Report(CertificateRefusedText(server, SessionCertificateVerdict().reason), caption);
        return 0;
    }
    if (result == LDAP_SUCCESS && bind.security == ConnectionSecurity::StartTls) {
        ULONG serverCode = LDAP_SUCCESS;
        result = ldap_start_tls_sA(m_hLdap, &serverCode, nullptr, nullptr, nullptr);
        if (result != LDAP_SUCCESS && SessionCertificateVerdict().checked &&
            !SessionCertificateVerdict().trusted) {
            Report(CertificateRefusedText(server, SessionCertificateVerdict().reason), caption);
            return 0;
        }
        if (result != LDAP_SUCCESS) {
            Report(TlsFailedText(server, "StartTLS",
                                 LdapErrorText(serverCode != LDAP_SUCCESS ? serverCode : result)),
                   caption);
            return 0;
        }
    }
    // No sign-in goes over TLS before the server's certificate was checked and taken.
    if (result == LDAP_SUCCESS && bind.security != ConnectionSecurity::None) {
        const std::string refused = CertificateProblem(server);
        if (!refused.empty()) {
            Report(refused, caption);
            return 0;
        }
        if (SessionCertificateVerdict().revocationUnknown)
            Trace(RevocationUnknownText(server).c_str(), kTraceBlue);
    }
    if (result == LDAP_SUCCESS) {
        std::string diagnostic;
        result = BindToDirectory(m_hLdap, bind, kServerAnswerSeconds, diagnostic);
        if (bind.clearText)
            Trace(ClearTextBindText(bind.Account(), server).c_str(), kTraceRed);
        // A refused anonymous bind is reported in the library's words alone, as it always
        // was; a refused account is named with what to check.
        if (result != LDAP_SUCCESS && result != LDAP_TIMEOUT &&
            bind.method != BindMethod::Anonymous) {
            Report(BindRefusedText(result, WithServerWords(LdapErrorText(result), diagnostic),
                                   m_access.method, bind.Account(), server),
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
    m_strBoundAccount = bind.Account();
    return 1;
}
