#include "connection/connection_notices.h"
#include "connection/bind_settings.h"
#include "password/set_bind_password.h"

#include <gtest/gtest.h>

TEST(BindSettings, KnownValuesInAnyLetterCaseAndMissingOnesAsTheDefault) {
    const struct {
        const char* value;
        BindMethod method;
        ConnectionSecurity security;
    } cases[] = {
        {"", BindMethod::Anonymous, ConnectionSecurity::None},
        {"anonymous", BindMethod::Anonymous, ConnectionSecurity::Unknown},
        {"none", BindMethod::Unknown, ConnectionSecurity::None},
        {"Negotiate", BindMethod::Negotiate, ConnectionSecurity::Unknown},
        {"SIMPLE", BindMethod::Simple, ConnectionSecurity::Unknown},
        {"LDAPS", BindMethod::Unknown, ConnectionSecurity::Ldaps},
        {"StartTLS", BindMethod::Unknown, ConnectionSecurity::StartTls},
        {"simple ", BindMethod::Unknown, ConnectionSecurity::Unknown},
        {"kerberos", BindMethod::Unknown, ConnectionSecurity::Unknown},
        {"sim", BindMethod::Unknown, ConnectionSecurity::Unknown},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(ParseBindMethod(test.value), test.method) << '"' << test.value << '"';
        EXPECT_EQ(ParseSecurity(test.value), test.security) << '"' << test.value << '"';
    }
}

TEST(BindSettings, LdapsWithoutAStoredPortUsesTheTlsPort) {
    EXPECT_EQ(PortFor(ConnectionSecurity::Ldaps, 0), 636);
    EXPECT_EQ(PortFor(ConnectionSecurity::Ldaps, 3269), 3269);
    EXPECT_EQ(PortFor(ConnectionSecurity::StartTls, 0), 0);
    EXPECT_EQ(PortFor(ConnectionSecurity::None, 0), 0);
}

TEST(BindSettings, AccountNamesAreJoinedToTheDomainOnlyWhereTheyNameNone) {
    EXPECT_EQ(SimpleBindName("reader", "tarn.test"), "reader@tarn.test");
    EXPECT_EQ(SimpleBindName("reader@tarn.test", "OTHER"), "reader@tarn.test");
    EXPECT_EQ(SimpleBindName("cn=reader,dc=tarn", "tarn.test"), "cn=reader,dc=tarn");
    EXPECT_EQ(SimpleBindName("TARN\\reader", "tarn.test"), "TARN\\reader");
    EXPECT_EQ(SimpleBindName("reader", ""), "reader");

    const NegotiateAccount split = SplitNegotiateAccount("TARN\\reader", "");
    EXPECT_EQ(split.user, "reader");
    EXPECT_EQ(split.domain, "TARN");
    EXPECT_EQ(split.Name(), "TARN\\reader");
    EXPECT_EQ(SplitNegotiateAccount("reader@tarn.test", "").Name(), "reader@tarn.test");
    EXPECT_EQ(SplitNegotiateAccount("reader", "TARN").Name(), "TARN\\reader");
}

TEST(BindSettings, ABareAccountNameTakesTheFormOfItsDomainAndANamedOneIsSentAsStored) {
    const struct {
        const char* user;
        const char* domain;
        const char* sent;
    } cases[] = {
        {"reader", "TARN", "TARN\\reader"},          // a down-level (NetBIOS) domain
        {"reader", "tarn.test", "reader@tarn.test"}, // a DNS domain
        {"reader", "", "reader"},
        {"reader@tarn.test", "TARN", "reader@tarn.test"},
        {"OTHER\\reader", "TARN", "OTHER\\reader"},
        {"OTHER\\reader", "tarn.test", "OTHER\\reader"},
        {"cn=reader,dc=tarn", "TARN", "cn=reader,dc=tarn"},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(SimpleBindName(test.user, test.domain), test.sent)
            << test.user << " in \"" << test.domain << '"';
    }
}

TEST(BindSettings, OnlyASimpleBindOverPlainLdapSendsItsPasswordInClearAndOnlyOneAllowsIt) {
    // Only "1" allows it: no value, "0", another word or "1" with a blank refuses.
    const struct {
        const char* value;
        bool allows;
    } values[] = {{"1", true},     {"", false},   {"0", false},  {"yes", false},
                  {"true", false}, {" 1", false}, {"1 ", false}, {"01", false}};
    for (const auto& test : values)
        EXPECT_EQ(AllowsClearTextBind(test.value), test.allows) << '"' << test.value << '"';

    using S = ConnectionSecurity;
    const struct {
        BindMethod method;
        ConnectionSecurity security;
        bool allowed;
        ClearTextBind verdict;
    } cases[] = {
        {BindMethod::Simple, S::None, false, ClearTextBind::Refused},
        {BindMethod::Simple, S::None, true, ClearTextBind::Allowed},
        {BindMethod::Simple, S::Ldaps, false, ClearTextBind::NotClearText},
        {BindMethod::Simple, S::StartTls, false, ClearTextBind::NotClearText},
        {BindMethod::Simple, S::StartTls, true, ClearTextBind::NotClearText},
        // An anonymous bind sends no password; Negotiate signs and seals.
        {BindMethod::Anonymous, S::None, false, ClearTextBind::NotClearText},
        {BindMethod::Negotiate, S::None, false, ClearTextBind::NotClearText},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(JudgeClearTextBind(test.method, test.security, test.allowed), test.verdict)
            << static_cast<int>(test.method) << ", security " << static_cast<int>(test.security)
            << ", allowed " << test.allowed;
    }
}

TEST(BindSettings, NegotiateOverPlainLdapIsKeptToKerberosUnlessAllowNtlmIsOne) {
    using P = NegotiatePackages;
    using S = ConnectionSecurity;
    const struct {
        BindMethod method;
        ConnectionSecurity security;
        const char* allowNtlm;
        NegotiatePackages packages;
    } cases[] = {
        {BindMethod::Negotiate, S::None, "", P::KerberosOnly},
        {BindMethod::Negotiate, S::None, "0", P::KerberosOnly},
        {BindMethod::Negotiate, S::None, "yes", P::KerberosOnly},
        {BindMethod::Negotiate, S::None, "1 ", P::KerberosOnly},
        {BindMethod::Negotiate, S::None, "1", P::NtlmInClear},
        // TLS proved the server before the bind: Negotiate chooses as it always did.
        {BindMethod::Negotiate, S::Ldaps, "", P::Any},
        {BindMethod::Negotiate, S::StartTls, "", P::Any},
        {BindMethod::Negotiate, S::StartTls, "1", P::Any},
        {BindMethod::Simple, S::None, "", P::NotNegotiate},
        {BindMethod::Anonymous, S::None, "1", P::NotNegotiate},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(JudgeNegotiatePackages(test.method, test.security, AllowsNtlm(test.allowNtlm)),
                  test.packages)
            << static_cast<int>(test.method) << ", security " << static_cast<int>(test.security)
            << ", AllowNtlm \"" << test.allowNtlm << '"';
    }
}

TEST(BindNotices, AnNtlmRefusalNamesWhyKerberosFailedAndBothFixes) {
    const std::string text = NtlmRefusedText("TARN\\reader", "127.0.0.1:389", "ldap/127.0.0.1",
                                             "No credentials are available (0x8009030E)");
    for (const char* part : {"TARN\\reader", "127.0.0.1:389", "ldap/127.0.0.1", "0x8009030E",
                             "Set Security to ldaps or starttls", "AllowNtlm to 1",
                             "No sign-in was sent", "Nothing was read"})
        EXPECT_NE(text.find(part), std::string::npos) << part << " in: " << text;
    EXPECT_NE(NtlmAllowedText("the logged-on user", "dc:389").find("AllowNtlm is 1"),
              std::string::npos);
}

TEST(BindNotices, AClearTextRefusalNamesTheAccountAndTheFixButNeverTheOverride) {
    const std::string text = ClearTextBindRefusedText("reader@tarn.test");
    EXPECT_NE(text.find("reader@tarn.test"), std::string::npos) << text;
    EXPECT_NE(text.find("Set Security to ldaps or starttls"), std::string::npos) << text;
    EXPECT_EQ(text.find("AllowClearTextBind"), std::string::npos) << text;
    EXPECT_NE(ClearTextBindText("reader@tarn.test", "dc:389").find("unencrypted"),
              std::string::npos);
}

TEST(BindNotices, EachRefusalSaysWhatToChange) {
    const std::string server = "dc.tarn.test:389";
    const struct {
        unsigned long code;
        const char* says;
    } cases[] = {
        {0x31, "refused the account TARN\\reader with the stored password"},
        {0x07, "does not offer the sign-in method negotiate"},
        {0x56, "does not offer the sign-in method negotiate"},
        {0x08, "Set Security to ldaps or starttls"},
        {0x0d, "Set Security to ldaps or starttls"},
        {0x51, "(signing in as TARN\\reader to dc.tarn.test:389)"},
    };
    for (const auto& test : cases) {
        const std::string text =
            BindRefusedText(test.code, "Reason", "negotiate", "TARN\\reader", server);
        EXPECT_EQ(text.rfind("Reason", 0), 0u) << text;
        EXPECT_NE(text.find(test.says), std::string::npos) << text;
        EXPECT_NE(text.find("Nothing was read"), std::string::npos) << text;
    }
}

TEST(BindNotices, ASearchRefusalNamesTheCauseOnlyWhereTheCodeIsARefusal) {
    EXPECT_NE(SearchRefusedText(0x01, "Operations Error", "").find("Set BindMethod"),
              std::string::npos);
    EXPECT_NE(SearchRefusedText(0x32, "Insufficient Rights", "reader@tarn.test")
                  .find("the account reader@tarn.test may not read"),
              std::string::npos);
    EXPECT_EQ(SearchRefusedText(0x20, "No Such Object", ""), "No Such Object");
    EXPECT_EQ(SearchRefusedText(0x51, "Server Down", "reader@tarn.test"), "Server Down");
}

TEST(SetBindPasswordCommand, OnlyTheSwitchItselfWithBlanksBehindStoresAPassword) {
    EXPECT_TRUE(IsSetBindPasswordCommand("/setbindpassword"));
    EXPECT_TRUE(IsSetBindPasswordCommand("/setbindpassword  ")); // cmd's "| ... > file"
    EXPECT_FALSE(IsSetBindPasswordCommand("/setbindpassword x"));
    EXPECT_FALSE(IsSetBindPasswordCommand("/SetBindPassword"));
    EXPECT_FALSE(IsSetBindPasswordCommand("/setbindpasswordx"));
    EXPECT_FALSE(IsSetBindPasswordCommand("x /setbindpassword"));
    EXPECT_FALSE(IsSetBindPasswordCommand(""));
}
