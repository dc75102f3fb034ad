// What the chain of a server's certificate and the SSL policy's answer on it come to: taken,
// taken although its revocation could not be checked, or refused with the reason in words for
// the user. The status bits and error codes are the values that wincrypt.h and winerror.h give
// them; certificate_check.cpp makes sure they match.
#ifndef TARN_CERTIFICATE_VERDICT_H
#define TARN_CERTIFICATE_VERDICT_H

#include <string>

// The chain's error bits (CERT_TRUST_STATUS dwErrorStatus) that the judgement tells apart.
namespace chain_error {
constexpr unsigned long kNotTimeValid = 0x1;
constexpr unsigned long kRevoked = 0x4;
constexpr unsigned long kNotSignatureValid = 0x8;
constexpr unsigned long kNotValidForUsage = 0x10;
constexpr unsigned long kUntrustedRoot = 0x20;
constexpr unsigned long kRevocationUnknown = 0x40;
constexpr unsigned long kCyclic = 0x80;
constexpr unsigned long kPartialChain = 0x10000;
constexpr unsigned long kOfflineRevocation = 0x1000000;
} // namespace chain_error

// The SSL policy's errors that the judgement tells apart.
namespace policy_error {
constexpr unsigned long kExpired = 0x800B0101;           // CERT_E_EXPIRED
constexpr unsigned long kUntrustedRoot = 0x800B0109;     // CERT_E_UNTRUSTEDROOT
constexpr unsigned long kChaining = 0x800B010A;          // CERT_E_CHAINING
constexpr unsigned long kRevocationFailure = 0x800B010E; // CERT_E_REVOCATION_FAILURE
constexpr unsigned long kNameMismatch = 0x800B010F;      // CERT_E_CN_NO_MATCH
constexpr unsigned long kWrongUsage = 0x800B0110;        // CERT_E_WRONG_USAGE
constexpr unsigned long kSignature = 0x80096004;         // TRUST_E_CERT_SIGNATURE
constexpr unsigned long kRevoked = 0x80092010;           // CRYPT_E_REVOKED
constexpr unsigned long kNoRevocationCheck = 0x80092012; // CRYPT_E_NO_REVOCATION_CHECK
constexpr unsigned long kRevocationOffline = 0x80092013; // CRYPT_E_REVOCATION_OFFLINE
} // namespace policy_error

struct ChainJudgement {
    bool trusted = false;
    // Taken, but no revocation list or responder could say whether it was revoked.
    bool revocationUnknown = false;
    std::string reason; // why it was refused
};

// chainErrors: the chain's error bits; policyError: the SSL policy's error for host, 0 for
// none; policyWords: the system's text for a policy error that the judgement does not know.
// A revoked certificate is always refused; a revocation that could not be checked only
// marks the certificate as taken with its revocation unknown.
ChainJudgement JudgeChain(unsigned long chainErrors, unsigned long policyError,
                          const std::string& host, const std::string& policyWords);

#endif
