#include "server_certificate.h"

#include "certificate_probe.h"
#include "directory/bind_notices.h"
#include "directory/download_notices.h"
#include "trace.h"

namespace {

// One download, one session: the callback's verdict and the host it checks for.
struct CallbackState {
    std::string host;
    CertificateVerdict verdict;
};
CallbackState g_callback;

// The library's callback, as Microsoft's client calls it: the connection and a pointer to the
// server's certificate, which the callback owns and frees. TRUE lets the connection go on.
BOOLEAN __cdecl VerifyServerCertificate(PLDAP, PCCERT_CONTEXT* serverCert) {
    PCCERT_CONTEXT cert = serverCert ? *serverCert : nullptr;
    if (!cert) {
        g_callback.verdict = {true, false, "the server showed no certificate"};
        return FALSE;
    }
    g_callback.verdict = CheckServerCertificate(cert, g_callback.host);
    CertFreeCertificateContext(cert);
    return g_callback.verdict.trusted ? TRUE : FALSE;
}

} // namespace

const CertificateVerdict& CallbackVerdict() {
    return g_callback.verdict;
}

bool ArrangeCertificateCheck(LDAP* session, const std::string& host, int port,
                             ConnectionSecurity security, unsigned seconds, std::string& problem) {
    const std::string server = host + ":" + std::to_string(port);
    g_callback = CallbackState();
    g_callback.host = host;
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
    const CertificateVerdict verdict =
        ProbeServerCertificate(host, port, security == ConnectionSecurity::StartTls, seconds);
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
