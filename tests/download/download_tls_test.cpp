// The download over TLS, LDAPS and StartTLS, from a slapd whose certificate the test bed's own
// authority issued for 127.0.0.1. The authority is trusted by the prefix only while a test
// says so. A small directory: Wine's client cannot carry a large answer over TLS.
#include "certificate/certificate_notices.h"
#include "download_session.h"
#include "exit_status_check.h"
#include "test_registry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

class DownloadTls : public ::testing::Test {
  protected:
    // One silent download of the staff over security to host:port.
    void Download(DownloadRun& run, const char* security, const std::string& host, int port) {
        run.UseDirectory(port, TestbedServers::Get().Fact("base.staff"), host);
        SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "Security", security);
        run.SeedAddressBook({"Old,Record,1,old.record@tarn.test"});
        ASSERT_TRUE(run.Start(false));
        run.FinishWithoutMessageBox();
    }

    OwnSlapd server_{"tls-server", "--tls"};
};

TEST_F(DownloadTls, ADirectoryWithATrustedCertificateIsWrittenOverLdapsAndStartTls) {
    ASSERT_NE(server_.TlsPort(), 0);
    const TrustedAuthority trusted;
    const struct {
        const char* security;
        int port;
    } cases[] = {{"ldaps", server_.TlsPort()}, {"starttls", server_.Port()}};
    for (const auto& test : cases) {
        SCOPED_TRACE(test.security);
        DownloadRun run(std::string("tls-") + test.security);
        Download(run, test.security, "127.0.0.1", test.port);
        EXPECT_EQ(run.Records().size(),
                  static_cast<size_t>(TestbedServers::Get().Number("staff.entries")));
        EXPECT_TRUE(run.Traced(kRed).empty()) << ::testing::PrintToString(run.Traced(kRed));
        EXPECT_TRUE(EndedWith(run.Program(), kBookRefreshed));
    }
}

TEST_F(DownloadTls, ACertificateNotTrustedOrForAnotherHostIsRefusedAndNothingIsWritten) {
    ASSERT_NE(server_.TlsPort(), 0);
    const std::string untrusted = "it was not issued by an authority that this computer trusts";
    const struct {
        const char* what;
        const char* security;
        bool trusted;
        const char* host;
        int port;
        std::string reason;
    } cases[] = {
        {"LDAPS, untrusted authority", "ldaps", false, "127.0.0.1", server_.TlsPort(), untrusted},
        {"StartTLS, untrusted authority", "starttls", false, "127.0.0.1", server_.Port(),
         untrusted},
        {"LDAPS, another host", "ldaps", true, "localhost", server_.TlsPort(),
         "it was issued for another host than localhost"},
        {"StartTLS, another host", "starttls", true, "localhost", server_.Port(),
         "it was issued for another host than localhost"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        std::unique_ptr<TrustedAuthority> trusted;
        if (test.trusted)
            trusted = std::make_unique<TrustedAuthority>();
        DownloadRun run("tls-refused");
        Download(run, test.security, test.host, test.port);
        EXPECT_EQ(run.Traced(kRed),
                  std::vector<std::string>{CertificateRefusedText(
                      std::string(test.host) + ":" + std::to_string(test.port), test.reason)});
        EXPECT_TRUE(CallsNamed(run.Calls(), "OpenAddressBook").empty());
        EXPECT_EQ(run.AddressBookRecords().size(), 1u);
        EXPECT_TRUE(EndedWith(run.Program(), kBookUnreachable));
    }
}

} // namespace
