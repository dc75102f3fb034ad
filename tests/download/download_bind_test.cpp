// The download against a directory that refuses anonymous readers: Samba's domain controller
// in its default setting, where only a bound client may search. The bind settings are stored
// as an administrator would store them; the password only ever encrypted.
#include "connection/connection_notices.h"
#include "connection/bind_settings.h"
#include "password/password_notices.h"
#include "download_session.h"
#include "exit_status_check.h"
#include "message_box.h"
#include "recording_relay.h"
#include "password/password_dlg_ids.h"
#include "password/password_store.h"
#include "temp_folder.h"
#include "test_registry.h"
#include "window_actions.h"
#include "window_finder.h"
#include "window_reading.h"

#include <windows.h>
#include <winldap.h>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

constexpr char kDirectoryService[] =
    "CN=Directory Service,CN=Windows NT,CN=Services,CN=Configuration,DC=tarn,DC=test";

// Samba's default for the test's length: without dSHeuristics an anonymous client may bind but
// not search ("Operation unavailable without authentication"). The fixture's setting that lets
// anonymous clients read comes back at the end, whatever happened.
class AnonymousReadersRefused {
  public:
    AnonymousReadersRefused() { Change(LDAP_MOD_DELETE, nullptr); }
    ~AnonymousReadersRefused() { Change(LDAP_MOD_REPLACE, "0000002"); }
    AnonymousReadersRefused(const AnonymousReadersRefused&) = delete;
    AnonymousReadersRefused& operator=(const AnonymousReadersRefused&) = delete;

  private:
    static void Change(ULONG operation, const char* value) {
        const TestbedServers& servers = TestbedServers::Get();
        LDAP* session = ldap_initA(const_cast<PCHAR>("127.0.0.1"), servers.Port("samba"));
        ASSERT_NE(session, nullptr);
        ULONG version = LDAP_VERSION3;
        ldap_set_option(session, LDAP_OPT_PROTOCOL_VERSION, &version);
        std::string admin = servers.Fact("samba.admin"), password = servers.Fact("samba.password");
        ULONG code = ldap_bind_sA(session, &admin[0], &password[0], LDAP_AUTH_SIMPLE);
        if (code == LDAP_SUCCESS) {
            PCHAR values[] = {const_cast<PCHAR>(value), nullptr};
            LDAPModA change = {operation, const_cast<PCHAR>("dSHeuristics"), {}};
            change.mod_vals.modv_strvals = value ? values : nullptr;
            LDAPModA* changes[] = {&change, nullptr};
            code = ldap_modify_sA(session, const_cast<PCHAR>(kDirectoryService), changes);
        }
        ldap_unbind(session);
        EXPECT_EQ(code, static_cast<ULONG>(LDAP_SUCCESS)) << "dSHeuristics not changed";
    }
};

std::vector<BYTE> Encrypted(const std::string& text, bool machineScope) {
    SecretText secret;
    secret.Assign(text.data(), text.size());
    std::vector<BYTE> blob;
    EXPECT_EQ(ProtectPassword(secret, machineScope, blob), 0u);
    return blob;
}

// The bind settings of a run, per user unless said otherwise.
struct Bind {
    std::string method, user, domain;
    std::string password; // stored encrypted; "" stores none
    HKEY root = HKEY_CURRENT_USER;
    std::string allowClearText = std::string(); // AllowClearTextBind per user; "" stores none
};

// A lab's simple bind over plain LDAP, which only AllowClearTextBind=1 lets through.
constexpr char kClearTextAllowed[] = "1";

void StoreBind(const Bind& bind) {
    SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "BindMethod", bind.method);
    SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "BindUser", bind.user);
    SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "BindDomain", bind.domain);
    if (!bind.allowClearText.empty())
        SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "AllowClearTextBind",
                          bind.allowClearText);
    if (bind.password.empty())
        return;
    const std::vector<BYTE> blob = Encrypted(bind.password, bind.root == HKEY_LOCAL_MACHINE);
    SetRegistryBytes(bind.root, TARN_NOTES_KEY, "BindPassword", REG_BINARY,
                     std::string(blob.begin(), blob.end()));
}

// A silent download of the whole domain with the bind settings given, from Samba's port or
// another that leads there, by the host name given.
void Download(DownloadRun& run, const Bind& bind, int port = 0,
              const std::string& host = "127.0.0.1") {
    const TestbedServers& servers = TestbedServers::Get();
    run.UseDirectory(port ? port : servers.Port("samba"), servers.Fact("samba.base"), host);
    run.SeedAddressBook({"Old,Record,1,old.record@tarn.test"});
    StoreBind(bind);
    ASSERT_TRUE(run.Start(false));
    run.FinishWithoutMessageBox();
}

// Where the plain password could have been left: the product's registry values under both
// roots, the files of the run's program and Notes folders, every trace line.
std::vector<std::string> PlacesHolding(const DownloadRun& run, const std::string& password) {
    std::vector<std::string> places;
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(root, TARN_NOTES_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
            continue;
        char name[256];
        BYTE data[8192];
        for (DWORD i = 0;; ++i) {
            DWORD nameSize = sizeof name, dataSize = sizeof data;
            if (RegEnumValueA(key, i, name, &nameSize, nullptr, nullptr, data, &dataSize) !=
                ERROR_SUCCESS)
                break;
            if (std::string(reinterpret_cast<char*>(data), dataSize).find(password) !=
                std::string::npos)
                places.push_back(std::string("registry value ") + name);
        }
        RegCloseKey(key);
    }
    for (const std::string& folder :
         {run.ProgramDir(), run.Notes().dataDir, run.Notes().programDir}) {
        WIN32_FIND_DATAA found;
        const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            continue;
        do {
            const std::string path = folder + "\\" + found.cFileName;
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                driver::ReadTextFile(path).find(password) != std::string::npos)
                places.push_back(path);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    for (const driver::TraceLine& line : run.AllTraces()) {
        if (line.text.find(password) != std::string::npos)
            places.push_back("trace line: " + line.text);
    }
    return places;
}

class DownloadBind : public ::testing::Test {
  protected:
    const TestbedServers& servers_ = TestbedServers::Get();
    const std::string reader_ = servers_.Fact("samba.reader");
    const std::string password_ = servers_.Fact("samba.reader.password");
    AnonymousReadersRefused refused_;
};

TEST_F(DownloadBind, AnAnonymousDownloadIsRefusedAndWritesNothing) {
    DownloadRun run("bind-anonymous");
    Download(run, Bind{});
    EXPECT_TRUE(CallsNamed(run.Calls(), "DeleteAll").empty());
    EXPECT_EQ(run.AddressBookRecords(),
              std::vector<std::string>{"Old,Record,1,old.record@tarn.test"});
    EXPECT_TRUE(EndedWith(run.Program(), kBookUnchanged));
    // The library's text, the server's own words and what to do.
    const std::string serverWords = "00002020: Operation unavailable without authentication";
    EXPECT_EQ(run.Traced(kRed),
              std::vector<std::string>{SearchRefusedText(
                  LDAP_OPERATIONS_ERROR,
                  WithServerWords(LdapText(LDAP_OPERATIONS_ERROR), serverWords), "")});
}

TEST_F(DownloadBind, TheWholeDomainIsWrittenWithASimpleBind) {
    const struct {
        const char* what;
        Bind bind;
    } cases[] = {
        {"simple, user@domain, per-user password",
         {"simple", reader_ + "@tarn.test", "", password_, HKEY_CURRENT_USER, kClearTextAllowed}},
        {"simple, user and domain, machine-wide password",
         {"simple", reader_, "tarn.test", password_, HKEY_LOCAL_MACHINE, kClearTextAllowed}},
        {"simple, user and NetBIOS domain",
         {"simple", reader_, servers_.Fact("samba.domain"), password_, HKEY_CURRENT_USER,
          kClearTextAllowed}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        DownloadRun run(std::string("bind-whole-") + test.bind.method);
        Download(run, test.bind);
        EXPECT_EQ(run.Records().size(), static_cast<size_t>(servers_.Number("samba.mail.entries")));
        EXPECT_NE(RecordWithMail(run.Records(), servers_.Fact("samba.sample.mail")), nullptr);
        EXPECT_TRUE(EndedWith(run.Program(), kBookRefreshed));
        // The one red line of a lab's simple bind in clear says so.
        const std::string server = "127.0.0.1:" + std::to_string(servers_.Port("samba"));
        EXPECT_EQ(run.Traced(kRed), std::vector<std::string>{ClearTextBindText(
                                        SimpleBindName(test.bind.user, test.bind.domain), server)});
        EXPECT_EQ(PlacesHolding(run, password_), std::vector<std::string>{});
    }
}

TEST_F(DownloadBind, EachSignInFailureHasItsOwnMessageAndWritesNothing) {
    const std::string account = reader_ + "@tarn.test";
    // Another computer's blob: this one's damaged, as no key here decrypts it.
    std::vector<BYTE> foreign = Encrypted(password_, false);
    foreign[foreign.size() / 2] ^= 0x5a;
    const struct {
        const char* what;
        Bind bind;
        bool foreignBlob;
        std::string says;
    } cases[] = {
        {"a wrong password",
         {"simple", account, "", "Wrong-Password-1", HKEY_CURRENT_USER, kClearTextAllowed},
         false,
         ": the directory server 127.0.0.1:" + std::to_string(servers_.Port("samba")) +
             " refused the account " + account + " with the stored password"},
        {"a wrong password, the bare name in the NetBIOS domain",
         {"simple", reader_, servers_.Fact("samba.domain"), "Wrong-Password-1", HKEY_CURRENT_USER,
          kClearTextAllowed},
         false,
         "refused the account " + servers_.Fact("samba.domain") + "\\" + reader_ +
             " with the stored password"},
        {"an unknown account",
         {"simple", "nobody@tarn.test", "", password_, HKEY_CURRENT_USER, kClearTextAllowed},
         false,
         "refused the account nobody@tarn.test with the stored password"},
        {"a password from another computer",
         {"negotiate", account, "", ""},
         true,
         "cannot be decrypted on this computer by this user"},
        {"no password stored",
         {"simple", account, "", "", HKEY_CURRENT_USER, kClearTextAllowed},
         false,
         PasswordMissingText(account)},
        {"an unknown method",
         {"kerberos", account, "", password_},
         false,
         UnknownSettingText("BindMethod", "kerberos", "anonymous, negotiate or simple")},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        DownloadRun run("bind-failure");
        if (test.foreignBlob)
            SetRegistryBytes(HKEY_CURRENT_USER, TARN_NOTES_KEY, "BindPassword", REG_BINARY,
                             std::string(foreign.begin(), foreign.end()));
        Download(run, test.bind);
        std::vector<std::string> red = run.Traced(kRed);
        // A bind sent in clear is said so before its refusal.
        const bool sent = test.bind.method == "simple" && !test.bind.password.empty();
        if (sent && !red.empty()) {
            EXPECT_NE(red[0].find("unencrypted"), std::string::npos) << red[0];
            red.erase(red.begin());
        }
        ASSERT_EQ(red.size(), 1u) << ::testing::PrintToString(run.Traced(kRed));
        EXPECT_NE(red[0].find(test.says), std::string::npos) << red[0];
        if (test.bind.password == "Wrong-Password-1") {
            // The library's words, then the server's: Active Directory's code for the cause.
            EXPECT_EQ(red[0].rfind(LdapText(LDAP_INVALID_CREDENTIALS) + " (", 0), 0u) << red[0];
        }
        EXPECT_TRUE(CallsNamed(run.Calls(), "OpenAddressBook").empty());
        EXPECT_EQ(run.AddressBookRecords().size(), 1u);
        EXPECT_TRUE(EndedWith(run.Program(), kBookUnreachable));
        for (const std::string& secret : {test.bind.password, password_}) {
            if (!secret.empty()) {
                EXPECT_EQ(red[0].find(secret), std::string::npos) << "the password is shown";
            }
        }
    }
}

TEST_F(DownloadBind, APasswordStoredFromAPipeIsUsedAndNeverLeftInPlainText) {
    DownloadRun run("bind-setpassword");
    // As a script stores it: the program's own switch, the password on its standard input.
    driver::Process store;
    driver::LaunchOptions options;
    options.WorkingDirectory(run.ProgramDir())
        .Arguments("/c echo " + password_ + "| TARNBOOK.exe /setbindpassword > stored.txt");
    ASSERT_TRUE(store.Start("C:\\windows\\system32\\cmd.exe", options));
    ASSERT_TRUE(store.WaitForExit(kRunTimeoutMs));
    EXPECT_EQ(driver::ReadTextFile(run.ProgramDir() + "\\stored.txt"),
              PasswordStoredText(SettingsKeyName(HKEY_LOCAL_MACHINE)) + "\r\n");
    ASSERT_TRUE(GetRegistryBytes(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "BindPassword"));

    Download(run, Bind{"simple", reader_, "tarn.test", "", HKEY_CURRENT_USER, kClearTextAllowed});
    EXPECT_EQ(run.Records().size(), static_cast<size_t>(servers_.Number("samba.mail.entries")));
    EXPECT_EQ(run.Traced(kRed).size(), 1u) << ::testing::PrintToString(run.Traced(kRed));
    EXPECT_EQ(PlacesHolding(run, password_), std::vector<std::string>{});
}

TEST_F(DownloadBind, ASimpleBindWithoutTlsSendsNothingUnlessALabAllowsClearTextExplicitly) {
    const std::string account = reader_ + "@tarn.test";
    const struct {
        const char* what;
        const char* security;   // Security per user; nullptr: none stored
        const char* productKey; // AllowClearTextBind per user; nullptr: none stored
        const char* policy;     // AllowClearTextBind of the computer policy; nullptr: none
        bool binds;
    } cases[] = {
        {"Security absent", nullptr, nullptr, nullptr, false},
        {"Security none", "none", nullptr, nullptr, false},
        {"AllowClearTextBind 0", nullptr, "0", nullptr, false},
        {"AllowClearTextBind yes", "none", "yes", nullptr, false},
        {"a computer policy of 0 over a product key of 1", nullptr, "1", "0", false},
        {"AllowClearTextBind 1 in the product key", nullptr, "1", nullptr, true},
        {"AllowClearTextBind 1 by policy", "none", nullptr, "1", true},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        DownloadRun run("bind-clear-text");
        RecordingRelay capture(servers_.Port("samba"));
        ASSERT_NE(capture.Port(), 0) << "the capture does not listen";
        if (test.security)
            SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "Security", test.security);
        if (test.productKey)
            SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "AllowClearTextBind",
                              test.productKey);
        if (test.policy)
            SetRegistryString(HKEY_LOCAL_MACHINE, TARN_POLICY_NOTES_KEY, "AllowClearTextBind",
                              test.policy);
        Download(run, Bind{"simple", account, "", password_}, capture.Port());
        const std::string sent = capture.Sent();
        const std::vector<unsigned char> operations = LdapOperations(sent);
        const bool bindSent =
            std::find(operations.begin(), operations.end(), kLdapBindRequest) != operations.end();
        if (test.binds) {
            EXPECT_EQ(run.Records().size(),
                      static_cast<size_t>(servers_.Number("samba.mail.entries")));
            EXPECT_TRUE(EndedWith(run.Program(), kBookRefreshed));
            EXPECT_EQ(run.Traced(kRed),
                      std::vector<std::string>{ClearTextBindText(
                          account, "127.0.0.1:" + std::to_string(capture.Port()))});
            // The capture sees what went: the bind, with the password as it is.
            EXPECT_TRUE(bindSent);
            EXPECT_NE(sent.find(password_), std::string::npos);
        } else {
            EXPECT_EQ(run.Traced(kRed),
                      std::vector<std::string>{ClearTextBindRefusedText(account)});
            EXPECT_TRUE(EndedWith(run.Program(), kBookUnreachable));
            EXPECT_TRUE(CallsNamed(run.Calls(), "OpenAddressBook").empty());
            EXPECT_EQ(run.AddressBookRecords(),
                      std::vector<std::string>{"Old,Record,1,old.record@tarn.test"});
            // Not even a connection: the capture holds no bind request and no password.
            EXPECT_EQ(capture.Connections(), 0);
            EXPECT_FALSE(bindSent);
            EXPECT_EQ(sent.find(password_), std::string::npos);
        }
        EXPECT_EQ(PlacesHolding(run, password_), std::vector<std::string>{});
    }
}

// Over plain LDAP a Negotiate bind is kept to Kerberos, which proves the server; Samba's domain
// controller reached by its address gives no Kerberos ticket (no service principal ldap/127.0.0.1,
// and the test bed's computer is no domain member), so Negotiate would fall back to NTLM. Unless
// AllowNtlm is 1 nothing is sent, not even a connection. Over StartTLS the bind goes to the
// server as it always did (Wine's client gets "Unwilling To Perform" from Samba for a Negotiate
// bind over TLS, so there the test sees the bind sent, not its success).
TEST_F(DownloadBind, ANegotiateBindOverPlainLdapSendsNoNtlmUnlessAllowNtlmIsOne) {
    const TrustedAuthority trusted;
    const std::string account = servers_.Fact("samba.domain") + "\\" + reader_;
    const struct {
        const char* what;
        Bind bind;
        const char* productKey; // AllowNtlm per user; nullptr: none stored
        const char* policy;     // AllowNtlm of the computer policy; nullptr: none
        const char* security;   // Security per user; nullptr: none stored
        bool binds;
    } cases[] = {
        {"an account, AllowNtlm absent",
         {"negotiate", reader_, "TARN", password_},
         nullptr,
         nullptr,
         nullptr,
         false},
        {"the logged-on user, Security none",
         {"negotiate", "", "", ""},
         nullptr,
         nullptr,
         "none",
         false},
        {"an account, AllowNtlm 0 by policy over 1",
         {"negotiate", reader_, "TARN", password_},
         "1",
         "0",
         nullptr,
         false},
        {"an account, AllowNtlm 1",
         {"negotiate", reader_, "TARN", password_},
         "1",
         nullptr,
         nullptr,
         true},
        {"an account, AllowNtlm 1 by policy",
         {"negotiate", reader_, "TARN", password_},
         nullptr,
         "1",
         nullptr,
         true},
        {"an account over StartTLS",
         {"negotiate", reader_, "TARN", password_},
         nullptr,
         nullptr,
         "starttls",
         true},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        DownloadRun run("bind-negotiate-plain");
        RecordingRelay capture(servers_.Port("samba"));
        ASSERT_NE(capture.Port(), 0) << "the capture does not listen";
        const std::string server = "127.0.0.1:" + std::to_string(capture.Port());
        if (test.productKey)
            SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "AllowNtlm", test.productKey);
        if (test.policy)
            SetRegistryString(HKEY_LOCAL_MACHINE, TARN_POLICY_NOTES_KEY, "AllowNtlm", test.policy);
        const bool tls = test.security && std::string(test.security) == "starttls";
        if (test.security)
            SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "Security", test.security);
        Download(run, test.bind, capture.Port());
        const std::string sent = capture.Sent();
        const std::string who = test.bind.user.empty() ? "the logged-on user" : account;
        if (!test.binds) {
            const std::vector<std::string> red = run.Traced(kRed);
            ASSERT_EQ(red.size(), 1u) << ::testing::PrintToString(red);
            const std::string start =
                "Kerberos cannot sign in " + who + " to the directory server " + server + " (";
            EXPECT_EQ(red[0].rfind(start, 0), 0u) << red[0];
            EXPECT_NE(red[0].find(", for ldap/127.0.0.1), and over plain LDAP"), std::string::npos)
                << red[0];
            EXPECT_TRUE(EndedWith(run.Program(), kBookUnreachable));
            EXPECT_TRUE(CallsNamed(run.Calls(), "OpenAddressBook").empty());
            EXPECT_EQ(run.AddressBookRecords(),
                      std::vector<std::string>{"Old,Record,1,old.record@tarn.test"});
            // Not even a connection: the capture holds no NTLM message.
            EXPECT_EQ(capture.Connections(), 0);
            EXPECT_EQ(sent.find("NTLMSSP"), std::string::npos);
        } else if (tls) {
            // Connected (under Wine once more, for the certificate check of its own), turned into
            // TLS, and the bind went: no refusal of the program's own.
            EXPECT_GE(capture.Connections(), 1);
            const std::vector<unsigned char> operations = LdapOperations(sent);
            EXPECT_FALSE(operations.empty() || operations[0] != 0x77) << "no StartTLS first";
            for (const std::string& line : run.Traced(kRed))
                EXPECT_EQ(line.find("Kerberos cannot"), std::string::npos) << line;
        } else {
            // As before: Negotiate falls back to NTLM, and each run says so in red.
            EXPECT_TRUE(EndedWith(run.Program(), kBookRefreshed));
            EXPECT_EQ(run.Records().size(),
                      static_cast<size_t>(servers_.Number("samba.mail.entries")));
            EXPECT_NE(sent.find("NTLMSSP"), std::string::npos) << "no NTLM message went";
            EXPECT_EQ(run.Traced(kRed), std::vector<std::string>{NtlmAllowedText(account, server)});
        }
        EXPECT_EQ(PlacesHolding(run, password_), std::vector<std::string>{});
    }
}

// Kept to Kerberos over plain LDAP, a Negotiate bind goes only where the client library can be
// told to use Kerberos alone. Wine's cannot (its SASL is SPNEGO through the Negotiate package,
// which falls back to NTLM): even with a ticket from the domain's KDC for the controller's name,
// nothing is sent, not even a connection, and the message names both fixes. An address, which
// has no service principal, gets no ticket.
TEST_F(DownloadBind, ANegotiateBindKeptToKerberosGoesOnlyWhereTheClientCanBeKeptToIt) {
    // The domain by its realm: Wine's Kerberos package takes the domain as the realm as it is.
    const std::string realm = "TARN.TEST";
    const std::string account = realm + "\\" + reader_;
    const struct {
        const char* host;
        const char* reason; // how the red line's reason begins
    } cases[] = {
        {"localhost", kClientNotKeptToKerberos},
        {"127.0.0.1", ""},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.host);
        DownloadRun run("bind-kerberos");
        RecordingRelay capture(servers_.Port("samba"));
        ASSERT_NE(capture.Port(), 0) << "the capture does not listen";
        Download(run, {"negotiate", reader_, realm, password_}, capture.Port(), test.host);
        EXPECT_TRUE(EndedWith(run.Program(), kBookUnreachable));
        EXPECT_EQ(capture.Connections(), 0);
        EXPECT_EQ(capture.Sent().find("NTLMSSP"), std::string::npos);
        EXPECT_EQ(run.AddressBookRecords(),
                  std::vector<std::string>{"Old,Record,1,old.record@tarn.test"});
        const std::string server = std::string(test.host) + ":" + std::to_string(capture.Port());
        const std::vector<std::string> red = run.Traced(kRed);
        ASSERT_EQ(red.size(), 1u) << ::testing::PrintToString(red);
        EXPECT_EQ(red[0].rfind("Kerberos cannot sign in " + account + " to the directory server " +
                                   server + " (" + test.reason,
                               0),
                  0u)
            << red[0];
        EXPECT_NE(red[0].find("Set Security to ldaps or starttls; or, where the site accepts "
                              "that risk, set AllowNtlm to 1."),
                  std::string::npos)
            << red[0];
        EXPECT_EQ(PlacesHolding(run, password_), std::vector<std::string>{});
    }
}

TEST_F(DownloadBind, AnInteractiveRunShowsTheClearTextRefusalInAMessageBox) {
    const std::string account = reader_ + "@tarn.test";
    DownloadRun run("bind-clear-text-interactive");
    RecordingRelay capture(servers_.Port("samba"));
    run.UseDirectory(capture.Port(), servers_.Fact("samba.base"));
    run.SeedAddressBook({"Old,Record,1,old.record@tarn.test"});
    StoreBind(Bind{"simple", account, "", password_});
    ASSERT_TRUE(run.Start(true));
    const driver::MessageBoxInfo box = driver::AnswerMessageBox(run.Program(), IDOK);
    EXPECT_EQ(box.text, ClearTextBindRefusedText(account));
    run.WaitForExit();
    EXPECT_TRUE(EndedWith(run.Program(), kBookUnreachable));
    EXPECT_EQ(run.AddressBookRecords(),
              std::vector<std::string>{"Old,Record,1,old.record@tarn.test"});
    EXPECT_EQ(capture.Connections(), 0);
}

TEST(DownloadBindPassword, EmptyInputStoresNothing) {
    DownloadRun run("bind-setpassword-empty");
    driver::Process store;
    driver::LaunchOptions options;
    options.WorkingDirectory(run.ProgramDir())
        .Arguments("/c type nul | TARNBOOK.exe /setbindpassword > stored.txt");
    ASSERT_TRUE(store.Start("C:\\windows\\system32\\cmd.exe", options));
    ASSERT_TRUE(store.WaitForExit(kRunTimeoutMs));
    EXPECT_EQ(driver::ReadTextFile(run.ProgramDir() + "\\stored.txt"),
              PasswordNotStoredText("the password is empty.") + "\r\n");
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
        EXPECT_FALSE(GetRegistryBytes(root, TARN_NOTES_KEY, "BindPassword"));
}

TEST(DownloadBindPassword, APersonTypesItIntoAMaskedFieldAndIsToldWhereItWent) {
    DownloadRun run("bind-setpassword-dialog");
    driver::Process program;
    driver::LaunchOptions options;
    options.WorkingDirectory(run.ProgramDir()).Arguments("/setbindpassword");
    ASSERT_TRUE(program.Start(run.ProgramDir() + "\\TARNBOOK.exe", options));
    driver::WindowMatch match;
    match.test = [](HWND window) { return driver::Item(window, IDC_BIND_PASSWORD) != nullptr; };
    match.kind = "the password dialog";
    const HWND dialog = driver::WaitForWindow(program, match);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(GetWindowLongA(driver::Item(dialog, IDC_BIND_PASSWORD), GWL_STYLE) & ES_PASSWORD)
        << "the password is shown as typed";
    ASSERT_TRUE(driver::SetEditText(dialog, IDC_BIND_PASSWORD, "Typed-Pass-77"));
    driver::PressButton(dialog, IDOK);
    const driver::MessageBoxInfo box = driver::AnswerMessageBox(program, IDOK);
    EXPECT_EQ(box.text, PasswordStoredText(SettingsKeyName(HKEY_LOCAL_MACHINE)));
    ASSERT_TRUE(program.WaitForExit(kRunTimeoutMs));
    EXPECT_TRUE(EndedWith(program, kPasswordStored));

    const std::optional<std::string> stored =
        GetRegistryBytes(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "BindPassword");
    ASSERT_TRUE(stored);
    SecretText password;
    ASSERT_EQ(UnprotectPassword(std::vector<BYTE>(stored->begin(), stored->end()), password), 0u);
    EXPECT_EQ(std::string(password.c_str()), "Typed-Pass-77");
}

} // namespace
