#include "server_certificate.h"

#include "certificate_notices.h"
#include "certificate_probe.h"
#include "connection/connection_notices.h"
#include "trace.h"

namespace {

// One download, one session: the verdict on its certificate and the host it checks for.
struct SessionState {
    std::string host;
    CertificateVerdict verdict;
};
SessionState g_session;

// The library's callback, as Microsoft's client calls it: the connection and a pointer to the
// server's certificate, which the callback owns and frees. TRUE lets the connection go on.
BOOLEAN __cdecl VerifyServerCertificate(PLDAP, PCCERT_CONTEXT* serverCert) {
    PCCERT_CONTEXT cert = serverCert ? *serverCert : nullptr;
    if (!cert) {
        g_session.verdict = {true, false, false, "the server showed no certificate"};
        return FALSE;
    }
    // Called by the LDAP library: nothing may leave it but the answer.
    try {
        g_session.verdict = CheckServerCertificate(cert, g_session.host);
    } catch (...) {
        g_session.verdict = CertificateVerdict();
    }
    CertFreeCertificateContext(cert);
    return g_session.verdict.trusted ? TRUE : FALSE;
}

} // namespace

const CertificateVerdict& SessionCertificateVerdict() {
    return g_session.verdict;
}

bool ArrangeCertificateCheck(LDAP* session, const std::string& host, int port,
                             ConnectionSecurity security, unsigned seconds, std::string& problem) {
    const std::string server = host + ":" + std::to_string(port);
    g_session = SessionState();
    g_session.host = host;
    const ULONG set = ldap_set_option(session, LDAP_OPT_SERVER_CERTIFICATE,
                                      reinterpret_cast<void*>(&VerifyServerCertificate));
    if (set == LDAP_SUCCESS)
        return true;
    if (set != LDAP_NOT_SUPPORTED) {
        const char* text = ldap_err2stringA(set);
        problem = SessionOptionRefusedText("server certificate check", text ? text : "");
        return false;
    }
    Trace("The LDAP client library does not show the server's certificate: it is checked on a "
          "connection of the program's own",
          kTraceBlue);
    g_session.verdict =
        ProbeServerCertificate(host, port, security == ConnectionSecurity::StartTls, seconds);
    const CertificateVerdict& verdict = g_session.verdict;
    if (!verdict.checked) {
        problem =
            TlsFailedText(server, security == ConnectionSecurity::StartTls ? "StartTLS" : "LDAPS",
                          verdict.reason);
        return false;
    }
    if (!verdict.trusted) {
        problem = CertificateRefusedText(server, verdict.reason);
        return false;
    }
    return true;
}
