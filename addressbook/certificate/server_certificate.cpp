#include "server_certificate.h"

#include "certificate_notices.h"
#include "certificate_probe.h"
#include "connection/connection_notices.h"
#include "trace.h"

#include <map>
#include <memory>
#include <mutex>

namespace {

// What the check of one session's certificate found, and the host it checks for. The library's
// callback may come on a connection step that the program has stopped waiting for: each session
// keeps its own state, held jointly by the program and any call that still writes to it, and
// every read or write of it is made under the lock.
struct SessionState {
    std::string host;
    CertificateVerdict verdict;
};
std::mutex g_lock;
std::map<PLDAP, std::shared_ptr<SessionState>> g_sessions;

std::shared_ptr<SessionState> StateOf(PLDAP session) {
    const std::lock_guard<std::mutex> hold(g_lock);
    const auto found = g_sessions.find(session);
    return found == g_sessions.end() ? nullptr : found->second;
}

void Record(SessionState& state, const CertificateVerdict& verdict) {
    const std::lock_guard<std::mutex> hold(g_lock);
    state.verdict = verdict;
}

// The library's callback, as Microsoft's client calls it: the connection and a pointer to the
// server's certificate, which the callback owns and frees. TRUE lets the connection go on.
BOOLEAN __cdecl VerifyServerCertificate(PLDAP session, PCCERT_CONTEXT* serverCert) {
    PCCERT_CONTEXT cert = serverCert ? *serverCert : nullptr;
    CertificateVerdict verdict = {true, false, false, "the server showed no certificate"};
    // Called by the LDAP library: nothing may leave it but the answer.
    try {
        const std::shared_ptr<SessionState> state = StateOf(session);
        if (cert && state)
            verdict = CheckServerCertificate(cert, state->host);
        if (state)
            Record(*state, verdict);
    } catch (...) {
        verdict.trusted = false;
    }
    if (cert)
        CertFreeCertificateContext(cert);
    return verdict.trusted ? TRUE : FALSE;
}

} // namespace

CertificateVerdict SessionCertificateVerdict(LDAP* session) {
    const std::shared_ptr<SessionState> state = StateOf(session);
    const std::lock_guard<std::mutex> hold(g_lock);
    return state ? state->verdict : CertificateVerdict();
}

bool ArrangeCertificateCheck(LDAP* session, const std::string& host, int port,
                             ConnectionSecurity security, unsigned seconds, std::string& problem) {
    const std::string server = host + ":" + std::to_string(port);
    const auto state = std::make_shared<SessionState>();
    state->host = host;
    {
        const std::lock_guard<std::mutex> hold(g_lock);
        g_sessions[session] = state;
    }
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
    Record(*state, verdict);
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
