#include "certificate/certificate_verdict.h"

#include <gtest/gtest.h>

namespace {

using namespace chain_error;
namespace policy = policy_error;

const char kUntrusted[] = "it was not issued by an authority that this computer trusts";

TEST(CertificateVerdict, ARevokedCertificateIsRefusedAndAnUncheckableRevocationOnlyNoted) {
    const struct {
        const char* what;
        unsigned long chain;
        unsigned long policy;
        bool trusted;
        bool revocationUnknown;
        std::string reason;
    } cases[] = {
        {"a sound chain", 0, 0, true, false, ""},
        {"no list or responder reachable", kRevocationUnknown | kOfflineRevocation, 0, true, true,
         ""},
        {"a responder offline", kOfflineRevocation, 0, true, true, ""},
        {"a policy that reports no revocation check", kRevocationUnknown,
         policy::kNoRevocationCheck, true, true, ""},
        {"a policy that reports the revocation server offline", kOfflineRevocation,
         policy::kRevocationOffline, true, true, ""},
        {"a policy that reports the revocation check failed", kRevocationUnknown,
         policy::kRevocationFailure, true, true, ""},
        {"revoked, as the chain says", kRevoked, policy::kRevoked, false, false,
         "it has been revoked"},
        {"revoked, a policy that lets it pass", kRevoked, 0, false, false, "it has been revoked"},
        {"revoked, its issuer's revocation unknown", kRevoked | kRevocationUnknown, 0, false, false,
         "it has been revoked"},
        {"revoked, the policy naming another error first", kRevoked | kUntrustedRoot,
         policy::kUntrustedRoot, false, false, "it has been revoked"},
        {"revoked, only the policy saying so", 0, policy::kRevoked, false, false,
         "it has been revoked"},
        {"an untrusted root with its revocation unknown", kUntrustedRoot | kRevocationUnknown,
         policy::kUntrustedRoot, false, false, kUntrusted},
        {"a partial chain that the policy lets pass", kPartialChain | kRevocationUnknown, 0, false,
         false, kUntrusted},
        {"a revocation unknown does not excuse an untrusted root", kUntrustedRoot,
         policy::kNoRevocationCheck, false, false, kUntrusted},
        {"another host", kRevocationUnknown, policy::kNameMismatch, false, false,
         "it was issued for another host than dc.tarn.test"},
        {"expired", kNotTimeValid, policy::kExpired, false, false,
         "it has expired or is not valid yet"},
        {"not for a server", kNotValidForUsage, 0, false, false, "it was not issued for a server"},
        {"another chain error", 0x100, 0, false, false,
         "its chain of authorities does not check out"},
        {"a policy error of its own", 0, 0x80070005, false, false, "the system's words"},
    };
    for (const auto& test : cases) {
        const ChainJudgement judgement =
            JudgeChain(test.chain, test.policy, "dc.tarn.test", "the system's words");
        EXPECT_EQ(judgement.trusted, test.trusted) << test.what;
        EXPECT_EQ(judgement.revocationUnknown, test.revocationUnknown) << test.what;
        EXPECT_EQ(judgement.reason, test.reason) << test.what;
    }
}

} // namespace
