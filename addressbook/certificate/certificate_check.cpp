// The chain parameters' time limit for fetching revocation lists is one of its extra fields.
#define CERT_CHAIN_PARA_HAS_EXTRA_FIELDS
#include "certificate_check.h"

#include "certificate_verdict.h"
#include "system_error.h"

#include <wininet.h>

static_assert(chain_error::kNotTimeValid == CERT_TRUST_IS_NOT_TIME_VALID &&
                  chain_error::kRevoked == CERT_TRUST_IS_REVOKED &&
                  chain_error::kNotSignatureValid == CERT_TRUST_IS_NOT_SIGNATURE_VALID &&
                  chain_error::kNotValidForUsage == CERT_TRUST_IS_NOT_VALID_FOR_USAGE &&
                  chain_error::kUntrustedRoot == CERT_TRUST_IS_UNTRUSTED_ROOT &&
                  chain_error::kRevocationUnknown == CERT_TRUST_REVOCATION_STATUS_UNKNOWN &&
                  chain_error::kCyclic == CERT_TRUST_IS_CYCLIC &&
                  chain_error::kPartialChain == CERT_TRUST_IS_PARTIAL_CHAIN &&
                  chain_error::kOfflineRevocation == CERT_TRUST_IS_OFFLINE_REVOCATION,
              "the chain's error bits");
static_assert(
    policy_error::kExpired == static_cast<DWORD>(CERT_E_EXPIRED) &&
        policy_error::kUntrustedRoot == static_cast<DWORD>(CERT_E_UNTRUSTEDROOT) &&
        policy_error::kChaining == static_cast<DWORD>(CERT_E_CHAINING) &&
        policy_error::kRevocationFailure == static_cast<DWORD>(CERT_E_REVOCATION_FAILURE) &&
        policy_error::kNameMismatch == static_cast<DWORD>(CERT_E_CN_NO_MATCH) &&
        policy_error::kWrongUsage == static_cast<DWORD>(CERT_E_WRONG_USAGE) &&
        policy_error::kSignature == static_cast<DWORD>(TRUST_E_CERT_SIGNATURE) &&
        policy_error::kRevoked == static_cast<DWORD>(CRYPT_E_REVOKED) &&
        policy_error::kNoRevocationCheck == static_cast<DWORD>(CRYPT_E_NO_REVOCATION_CHECK) &&
        policy_error::kRevocationOffline == static_cast<DWORD>(CRYPT_E_REVOCATION_OFFLINE),
    "the SSL policy's errors");

namespace {

std::wstring Wide(const std::string& text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? static_cast<size_t>(length) : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], length);
    wide.resize(wide.size() - 1);
    return wide;
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
    // Revocation lists and responders are asked over the network, within one bound for the
    // whole chain; what they cannot tell in that time counts as unknown, not as revoked.
    chainPara.dwUrlRetrievalTimeout = kRevocationFetchMilliseconds;
    const DWORD flags =
        CERT_CHAIN_REVOCATION_CHECK_CHAIN_EXCLUDE_ROOT | CERT_CHAIN_REVOCATION_ACCUMULATIVE_TIMEOUT;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    if (!CertGetCertificateChain(nullptr, cert, nullptr, cert->hCertStore, &chainPara, flags,
                                 nullptr, &chain)) {
        verdict.reason = "its chain could not be built (" + SystemErrorWords(GetLastError()) + ")";
        return verdict;
    }
    std::wstring serverName = Wide(host);
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl = {};
    ssl.cbSize = sizeof ssl;
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.pwszServerName = &serverName[0];
    // Revocation is judged below from the chain's status alone: a policy that stops at its
    // first error would let a revocation it could not check hide a wrong host name.
    ssl.fdwChecks = SECURITY_FLAG_IGNORE_REVOCATION;
    CERT_CHAIN_POLICY_PARA policy = {};
    policy.cbSize = sizeof policy;
    policy.dwFlags = CERT_CHAIN_POLICY_IGNORE_ALL_REV_UNKNOWN_FLAGS;
    policy.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS status = {};
    status.cbSize = sizeof status;
    const BOOL ran =
        CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &status);
    const DWORD chainErrors = chain->TrustStatus.dwErrorStatus;
    CertFreeCertificateChain(chain);
    if (!ran) {
        verdict.reason = SystemErrorWords(GetLastError());
        return verdict;
    }
    const ChainJudgement judgement =
        JudgeChain(chainErrors, status.dwError, host, SystemErrorWords(status.dwError));
    verdict.trusted = judgement.trusted;
    verdict.revocationUnknown = judgement.revocationUnknown;
    verdict.reason = judgement.reason;
    return verdict;
}
