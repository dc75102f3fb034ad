#include "certificate_check.h"

#include "system_error.h"

namespace {

std::wstring Wide(const std::string& text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? static_cast<size_t>(length) : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], length);
    wide.resize(wide.size() - 1);
    return wide;
}

// The chain's own errors, in words; "" when it has none. Revocation is not asked for, so its
// status stays unknown.
std::string ChainErrorText(DWORD status) {
    status &= ~static_cast<DWORD>(CERT_TRUST_REVOCATION_STATUS_UNKNOWN |
                                  CERT_TRUST_IS_OFFLINE_REVOCATION);
    if (status == CERT_TRUST_NO_ERROR)
        return std::string();
    if (status & (CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_IS_PARTIAL_CHAIN |
                  CERT_TRUST_IS_NOT_SIGNATURE_VALID | CERT_TRUST_IS_CYCLIC))
        return "it was not issued by an authority that this computer trusts";
    if (status & CERT_TRUST_IS_NOT_TIME_VALID)
        return "it has expired or is not valid yet";
    if (status & CERT_TRUST_IS_REVOKED)
        return "it has been revoked";
    if (status & CERT_TRUST_IS_NOT_VALID_FOR_USAGE)
        return "it was not issued for a server";
    return "its chain of authorities does not check out";
}

std::string PolicyErrorText(DWORD error, const std::string& host) {
    switch (error) {
    case static_cast<DWORD>(CERT_E_UNTRUSTEDROOT):
    case static_cast<DWORD>(CERT_E_CHAINING):
    case static_cast<DWORD>(TRUST_E_CERT_SIGNATURE):
        return "it was not issued by an authority that this computer trusts";
    case static_cast<DWORD>(CERT_E_CN_NO_MATCH):
        return "it was issued for another host than " + host;
    case static_cast<DWORD>(CERT_E_EXPIRED):
        return "it has expired or is not valid yet";
    case static_cast<DWORD>(CERT_E_WRONG_USAGE):
        return "it was not issued for a server";
    case static_cast<DWORD>(CRYPT_E_REVOKED):
        return "it has been revoked";
    default:
        return SystemErrorWords(error);
    }
}

} // namespace

CertificateVerdict CheckServerCertificate(PCCERT_CONTEXT cert, const std::string& host) {
    CertificateVerdict verdict;
    verdict.checked = true;
    LPSTR usages[] = {const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH)};
    CERT_CHAIN_PARA chainPara = {};
    chainPara.cbSize = sizeof chainPara;
    chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_OR;
    chainPara.RequestedUsage.Usage.cUsageIdentifier = 1;
    chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    if (!CertGetCertificateChain(nullptr, cert, nullptr, cert->hCertStore, &chainPara, 0, nullptr,
                                 &chain)) {
        verdict.reason = "its chain could not be built (" + SystemErrorWords(GetLastError()) + ")";
        return verdict;
    }
    std::wstring serverName = Wide(host);
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl = {};
    ssl.cbSize = sizeof ssl;
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.pwszServerName = &serverName[0];
    CERT_CHAIN_POLICY_PARA policy = {};
    policy.cbSize = sizeof policy;
    policy.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS status = {};
    status.cbSize = sizeof status;
    const BOOL ran =
        CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &status);
    // The policy does not report every error of the chain on every system (Wine's lets an
    // incomplete chain pass): the chain's own status is looked at too.
    const std::string chainError = ChainErrorText(chain->TrustStatus.dwErrorStatus);
    CertFreeCertificateChain(chain);
    if (!ran)
        verdict.reason = SystemErrorWords(GetLastError());
    else if (status.dwError != ERROR_SUCCESS)
        verdict.reason = PolicyErrorText(status.dwError, host);
    else if (!chainError.empty())
        verdict.reason = chainError;
    else
        verdict.trusted = true;
    return verdict;
}
