// The download over TLS, LDAPS and StartTLS, from a slapd whose certificate the test bed's own
// authority issued for 127.0.0.1. The authority is trusted by the prefix only while a test
// says so. A small directory: Wine's client cannot carry a large answer over TLS.
#include "bind_notices.h"
#include "download_session.h"
#include "temp_folder.h"
#include "test_registry.h"
#include "win_path.h"

#include <windows.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace {

// The test bed's authority in the machine's trusted root store, for the object's lifetime.
// The store is closed after each change: a registry store writes its changes when closed.
class TrustedAuthority {
  public:
    TrustedAuthority()
        : der_(driver::ReadTextFile(driver::WindowsPath(
              driver::EnvironmentValue("TARN_TESTBED_DIR") + "/slapd/tls/ca.cer"))) {
        const HCERTSTORE store = OpenRoot();
        if (!store || der_.empty() ||
            !CertAddEncodedCertificateToStore(
                store, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der_.data()),
                static_cast<DWORD>(der_.size()), CERT_STORE_ADD_REPLACE_EXISTING, nullptr))
            ADD_FAILURE() << "the test bed's authority could not be trusted: error "
                          << GetLastError();
        if (store)
            CertCloseStore(store, 0);
    }
    // The certificate's own registry key goes: Wine's store does not write a deletion back.
    ~TrustedAuthority() {
        const PCCERT_CONTEXT ours = CertCreateCertificateContext(
            X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der_.data()),
            static_cast<DWORD>(der_.size()));
        BYTE hash[20];
        DWORD size = sizeof hash;
        if (!ours ||
            !CertGetCertificateContextProperty(ours, CERT_SHA1_HASH_PROP_ID, hash, &size)) {
            ADD_FAILURE() << "the test bed's authority stays trusted";
        } else {
            std::string key = "Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\";
            for (DWORD i = 0; i < size; ++i) {
                char digits[3];
                std::snprintf(digits, sizeof digits, "%02X", hash[i]);
                key += digits;
            }
            DeleteRegistryTree(HKEY_LOCAL_MACHINE, key.c_str());
            EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, key.c_str()))
                << "the test bed's authority stays trusted";
        }
        if (ours)
            CertFreeCertificateContext(ours);
    }
    TrustedAuthority(const TrustedAuthority&) = delete;
    TrustedAuthority& operator=(const TrustedAuthority&) = delete;

  private:
    static HCERTSTORE OpenRoot() {
        return CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE,
                             "Root");
    }
    std::string der_;
};

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
    }
}

} // namespace
