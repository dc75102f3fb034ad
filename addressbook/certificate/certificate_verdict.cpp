#include "certificate_verdict.h"

namespace {

const char kUntrusted[] = "it was not issued by an authority that this computer trusts";
const char kRevokedWords[] = "it has been revoked";

bool IsRevocationUnknownError(unsigned long error) {
    return error == policy_error::kNoRevocationCheck || error == policy_error::kRevocationOffline ||
           error == policy_error::kRevocationFailure;
}

std::string PolicyErrorText(unsigned long error, const std::string& host,
                            const std::string& words) {
    switch (error) {
    case policy_error::kUntrustedRoot:
    case policy_error::kChaining:
    case policy_error::kSignature:
        return kUntrusted;
    case policy_error::kNameMismatch:
        return "it was issued for another host than " + host;
    case policy_error::kExpired:
        return "it has expired or is not valid yet";
    case policy_error::kWrongUsage:
        return "it was not issued for a server";
    default:
        return words;
    }
}

// The chain's own errors, revocation left aside, in words; "" when it has none.
std::string ChainErrorText(unsigned long errors) {
    errors &= ~(chain_error::kRevocationUnknown | chain_error::kOfflineRevocation);
    if (errors == 0)
        return std::string();
    if (errors & (chain_error::kUntrustedRoot | chain_error::kPartialChain |
                  chain_error::kNotSignatureValid | chain_error::kCyclic))
        return kUntrusted;
    if (errors & chain_error::kNotTimeValid)
        return "it has expired or is not valid yet";
    if (errors & chain_error::kNotValidForUsage)
        return "it was not issued for a server";
    return "its chain of authorities does not check out";
}

} // namespace

ChainJudgement JudgeChain(unsigned long chainErrors, unsigned long policyError,
                          const std::string& host, const std::string& policyWords) {
    ChainJudgement judgement;
    if ((chainErrors & chain_error::kRevoked) || policyError == policy_error::kRevoked) {
        judgement.reason = kRevokedWords;
        return judgement;
    }
    // The policy does not report every error of the chain on every system (Wine's lets an
    // incomplete chain pass): the chain's own status is looked at too.
    if (policyError != 0 && !IsRevocationUnknownError(policyError))
        judgement.reason = PolicyErrorText(policyError, host, policyWords);
    else
        judgement.reason = ChainErrorText(chainErrors);
    if (!judgement.reason.empty())
        return judgement;
    judgement.trusted = true;
    judgement.revocationUnknown =
        (chainErrors & (chain_error::kRevocationUnknown | chain_error::kOfflineRevocation)) != 0 ||
        IsRevocationUnknownError(policyError);
    return judgement;
}
