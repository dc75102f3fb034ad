#include "certificate_probe.h"

#include "system_error.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#define SECURITY_WIN32
#include <schannel.h>
#include <security.h>

#include <vector>

namespace {

// The largest handshake message taken from the server.
constexpr size_t kLargestHandshake = 65536;

// The StartTLS extended request (RFC 4511 4.14), message id 1.
const unsigned char kStartTlsRequest[] = {
    0x30, 0x1d, 0x02, 0x01, 0x01, 0x77, 0x18, 0x80, 0x16, '1', '.', '3', '.', '6', '.', '1',
    '.',  '4',  '.',  '1',  '.',  '1',  '4',  '6',  '6',  '.', '2', '0', '0', '3', '7'};

class Socket {
  public:
    Socket() = default;
    ~Socket() {
        if (socket_ != INVALID_SOCKET)
            closesocket(socket_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    SOCKET& get() { return socket_; }

  private:
    SOCKET socket_ = INVALID_SOCKET;
};

class WinsockUse {
  public:
    WinsockUse() {
        WSADATA data;
        started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~WinsockUse() {
        if (started_)
            WSACleanup();
    }
    WinsockUse(const WinsockUse&) = delete;
    WinsockUse& operator=(const WinsockUse&) = delete;
    bool started() const { return started_; }

  private:
    bool started_ = false;
};

class Credentials {
  public:
    Credentials() = default;
    ~Credentials() {
        if (acquired)
            FreeCredentialsHandle(&handle);
    }
    Credentials(const Credentials&) = delete;
    Credentials& operator=(const Credentials&) = delete;
    CredHandle handle = {};
    bool acquired = false;
};

class Context {
  public:
    Context() = default;
    ~Context() {
        if (made)
            DeleteSecurityContext(&handle);
    }
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;
    CtxtHandle handle = {};
    bool made = false;
};

std::string NetworkError(int code) {
    return SystemErrorWords(static_cast<DWORD>(code));
}

bool SendAll(SOCKET socket, const char* data, size_t size) {
    while (size > 0) {
        const int sent = send(socket, data, static_cast<int>(size), 0);
        if (sent <= 0)
            return false;
        data += sent;
        size -= static_cast<size_t>(sent);
    }
    return true;
}

// Appends what the server sends next; false when it sent nothing in time or closed.
bool ReceiveMore(SOCKET socket, std::vector<char>& data) {
    char buffer[4096];
    const int got = recv(socket, buffer, sizeof buffer, 0);
    if (got <= 0 || data.size() + static_cast<size_t>(got) > kLargestHandshake)
        return false;
    data.insert(data.end(), buffer, buffer + got);
    return true;
}

bool Connect(const std::string& host, int port, unsigned seconds, Socket& socket,
             std::string& error) {
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int looked = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (looked != 0) {
        error = NetworkError(looked);
        return false;
    }
    int code = WSAEHOSTUNREACH;
    for (addrinfo* address = found; address; address = address->ai_next) {
        SOCKET candidate = ::socket(address->ai_family, address->ai_socktype, address->ai_protocol);
        if (candidate == INVALID_SOCKET)
            continue;
        const DWORD milliseconds = seconds * 1000;
        setsockopt(candidate, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&milliseconds),
                   sizeof milliseconds);
        setsockopt(candidate, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&milliseconds),
                   sizeof milliseconds);
        if (connect(candidate, address->ai_addr, static_cast<int>(address->ai_addrlen)) == 0) {
            socket.get() = candidate;
            freeaddrinfo(found);
            return true;
        }
        code = WSAGetLastError();
        closesocket(candidate);
    }
    freeaddrinfo(found);
    error = NetworkError(code);
    return false;
}

// Sends the StartTLS request and reads the answer: an LDAP message whose result code, the
// first element of the extended response, must be success.
bool StartTls(SOCKET socket, std::string& error) {
    if (!SendAll(socket, reinterpret_cast<const char*>(kStartTlsRequest),
                 sizeof kStartTlsRequest)) {
        error = NetworkError(WSAGetLastError());
        return false;
    }
    std::vector<char> answer;
    // 30 len 02 01 id 78 len 0a 01 code: short-form lengths, as servers send this answer.
    while (answer.size() < 2 || answer.size() < 2u + static_cast<unsigned char>(answer[1])) {
        if (!ReceiveMore(socket, answer)) {
            error = "the server did not answer the StartTLS request";
            return false;
        }
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(answer.data());
    for (size_t i = 2; i + 2 < answer.size(); ++i) {
        if (bytes[i] == 0x78) {
            const size_t code = i + 2;
            if (code + 2 < answer.size() && bytes[code] == 0x0a && bytes[code + 1] == 0x01 &&
                bytes[code + 2] == 0)
                return true;
            break;
        }
    }
    error = "the server refused StartTLS";
    return false;
}

// The TLS handshake, with the certificate left for us to check.
bool Handshake(SOCKET socket, const std::string& host, Context& context, std::string& error) {
    Credentials credentials;
    SCHANNEL_CRED schannel = {};
    schannel.dwVersion = SCHANNEL_CRED_VERSION;
    schannel.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
    SECURITY_STATUS status = AcquireCredentialsHandleA(
        nullptr, const_cast<SEC_CHAR*>(UNISP_NAME_A), SECPKG_CRED_OUTBOUND, nullptr, &schannel,
        nullptr, nullptr, &credentials.handle, nullptr);
    if (status != SEC_E_OK) {
        error = SystemErrorWords(static_cast<DWORD>(status));
        return false;
    }
    credentials.acquired = true;
    const ULONG wanted = ISC_REQ_STREAM | ISC_REQ_CONFIDENTIALITY | ISC_REQ_ALLOCATE_MEMORY |
                         ISC_REQ_MANUAL_CRED_VALIDATION | ISC_REQ_REPLAY_DETECT |
                         ISC_REQ_SEQUENCE_DETECT;
    std::vector<char> received;
    for (;;) {
        SecBuffer input[2] = {
            {static_cast<ULONG>(received.size()), SECBUFFER_TOKEN, received.data()},
            {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc inputDesc = {SECBUFFER_VERSION, 2, input};
        SecBuffer output = {0, SECBUFFER_TOKEN, nullptr};
        SecBufferDesc outputDesc = {SECBUFFER_VERSION, 1, &output};
        ULONG granted = 0;
        status = InitializeSecurityContextA(
            &credentials.handle, context.made ? &context.handle : nullptr,
            const_cast<SEC_CHAR*>(host.c_str()), wanted, 0, 0, context.made ? &inputDesc : nullptr,
            0, &context.handle, &outputDesc, &granted, nullptr);
        // A first call that fails makes no context; a later one leaves the first's in place.
        if (status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED)
            context.made = true;
        if (output.pvBuffer) {
            const bool sent =
                output.cbBuffer == 0 ||
                SendAll(socket, static_cast<const char*>(output.pvBuffer), output.cbBuffer);
            FreeContextBuffer(output.pvBuffer);
            if (!sent) {
                error = NetworkError(WSAGetLastError());
                return false;
            }
        }
        if (status == SEC_E_OK)
            return true;
        if (status == SEC_E_INCOMPLETE_MESSAGE) {
            if (!ReceiveMore(socket, received)) {
                error = "the server broke off the TLS handshake";
                return false;
            }
            continue;
        }
        if (status != SEC_I_CONTINUE_NEEDED) {
            error = SystemErrorWords(static_cast<DWORD>(status));
            return false;
        }
        // Keep what the context has not taken yet; read on when it took everything.
        if (input[1].BufferType == SECBUFFER_EXTRA && input[1].cbBuffer > 0)
            received.erase(received.begin(), received.end() - input[1].cbBuffer);
        else
            received.clear();
        if (received.empty() && !ReceiveMore(socket, received)) {
            error = "the server broke off the TLS handshake";
            return false;
        }
    }
}

} // namespace

CertificateVerdict ProbeServerCertificate(const std::string& host, int port, bool startTls,
                                          unsigned seconds) {
    CertificateVerdict verdict;
    WinsockUse winsock;
    Socket socket;
    if (!winsock.started()) {
        verdict.reason = NetworkError(WSAGetLastError());
        return verdict;
    }
    if (!Connect(host, port, seconds, socket, verdict.reason))
        return verdict;
    if (startTls && !StartTls(socket.get(), verdict.reason))
        return verdict;
    Context context;
    if (!Handshake(socket.get(), host, context, verdict.reason))
        return verdict;
    PCCERT_CONTEXT cert = nullptr;
    if (QueryContextAttributesA(&context.handle, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &cert) !=
            SEC_E_OK ||
        !cert) {
        verdict.reason = "the server showed no certificate";
        return verdict;
    }
    verdict = CheckServerCertificate(cert, host);
    CertFreeCertificateContext(cert);
    return verdict;
}
