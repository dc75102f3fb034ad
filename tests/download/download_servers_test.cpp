// The download against the directory server families people run beside OpenLDAP: Samba as an
// Active Directory domain controller, 389 Directory Server, and slapd with a page limit below
// its plain limit; and servers that are killed while the download reads them.
#include "connection/connection_notices.h"
#include "download_session.h"
#include "exit_status_check.h"

#include <windows.h>
#include <winldap.h>

#include <gtest/gtest.h>

#include <set>
#include <thread>

namespace {

constexpr DWORD kSilentRunTimeoutMs = kServerAnswerSeconds * 1000 + kRunTimeoutMs;

// Runs a silent download of base on a server and checks that every entry with an Internet
// mail address was written exactly once and that nothing was traced in red.
void DownloadWhole(DownloadRun& run, int port, const std::string& base, int mailEntries) {
    run.UseDirectory(port, base);
    run.SeedAddressBook({"Old,Record,1,old.record@tarn.test"});
    EXPECT_TRUE(run.Start(false));
    run.FinishWithoutMessageBox();
    const std::vector<std::string> mails = MailsOf(run.Records());
    EXPECT_EQ(mails.size(), static_cast<size_t>(mailEntries));
    EXPECT_EQ(std::set<std::string>(mails.begin(), mails.end()).size(), mails.size())
        << "an entry was written twice";
    EXPECT_EQ(run.AddressBookRecords().size(), mails.size());
    EXPECT_TRUE(run.Traced(kRed).empty()) << ::testing::PrintToString(run.Traced(kRed));
    EXPECT_TRUE(EndedWith(run.Program(), kBookRefreshed));
}

TEST(DownloadServers, AnActiveDirectoryDomainFromItsRootIsWrittenOnceWithItsReferencesSkipped) {
    const TestbedServers& servers = TestbedServers::Get();
    DownloadRun run("servers-samba");
    const DWORD start = GetTickCount();
    DownloadWhole(run, servers.Port("samba"), servers.Fact("samba.base"),
                  servers.Number("samba.mail.entries"));
    // References to other partitions, which a client chasing them would follow to a name a
    // desktop may not resolve, cost no waiting.
    EXPECT_LT(GetTickCount() - start, kServerAnswerSeconds * 1000u);
    EXPECT_NE(RecordWithMail(run.Records(), servers.Fact("samba.sample.mail")), nullptr);
}

TEST(DownloadServers, A389DirectoryPastItsSizeLimitIsWrittenWholeInSmallerPages) {
    const TestbedServers& servers = TestbedServers::Get();
    DownloadRun run("servers-dirsrv");
    DownloadWhole(run, servers.Port("dirsrv"), servers.Fact("dirsrv.base"),
                  servers.Number("dirsrv.mail.entries"));
    const std::vector<std::string> blue = run.Traced(kBlue);
    const std::string limit = servers.Fact("dirsrv.sizelimit");
    // The server keeps one cookie for the whole search and cuts a page as large as its limit.
    EXPECT_TRUE(Contains(blue, LdapText(LDAP_SIZELIMIT_EXCEEDED) + " for pages of " + limit +
                                   ": asking again in pages of " +
                                   std::to_string(std::stoi(limit) / 2)))
        << ::testing::PrintToString(blue);
    EXPECT_TRUE(Contains(blue, "Paged search: page 3, " +
                                   std::to_string(3 * (std::stoi(limit) / 2)) + " entries"));
}

TEST(DownloadServers, ASlapdPageLimitBelowItsPlainLimitIsMetByHalvingThePageSize) {
    const TestbedServers& servers = TestbedServers::Get();
    DownloadRun run("servers-pagelimit");
    DownloadWhole(run, servers.Port("directory"), servers.Fact("base.pagelimit"),
                  servers.Number("pagelimit.entries"));
    const std::string refused = LdapText(LDAP_ADMIN_LIMIT_EXCEEDED);
    EXPECT_TRUE(
        Contains(run.Traced(kBlue), refused + " for pages of 500: asking again in pages of 250"));
    EXPECT_TRUE(
        Contains(run.Traced(kBlue), refused + " for pages of 125: asking again in pages of 62"));
}

TEST(DownloadServers, AServerKilledDuringThePlainSearchLeavesTheAddressBookAsItWas) {
    OwnSlapd server("killed-search");
    ASSERT_NE(server.Pid(), 0u);
    DownloadRun run("servers-killed-search");
    run.UseDirectory(server.Port(), TestbedServers::Get().Fact("base.people"));
    run.SeedAddressBook({"Old,Record,1,old.record@tarn.test"});
    const std::string before = run.AddressBook();
    // The search is sent to a stopped server, which is then killed while the program waits.
    std::thread killer;
    const TraceHook hook(run.Viewer(), "DoDownloadAdddressBook", [&] {
        PauseServer(server.Pid());
        killer = std::thread([&] {
            Sleep(1000);
            KillServer(server.Pid());
        });
    });
    ASSERT_TRUE(run.Start(false));
    run.FinishWithoutMessageBox(kSilentRunTimeoutMs);
    if (killer.joinable())
        killer.join();

    EXPECT_EQ(run.AddressBook(), before);
    EXPECT_TRUE(CallsNamed(run.Calls(), "DeleteAll").empty());
    EXPECT_TRUE(EndedWith(run.Program(), kBookUnreachable));
    const std::vector<std::string> red = run.Traced(kRed);
    ASSERT_EQ(red.size(), 1u) << ::testing::PrintToString(red);
    EXPECT_EQ(red[0].rfind("The connection to the directory server 127.0.0.1:" +
                               std::to_string(server.Port()) + " broke off during the search (",
                           0),
              0u)
        << red[0];
}

TEST(DownloadServers, AServerKilledBetweenPagesLeavesWhatCameWrittenAndSaysSo) {
    OwnSlapd server("killed-pages");
    ASSERT_NE(server.Pid(), 0u);
    const TestbedServers& servers = TestbedServers::Get();
    const int limit = servers.Number("paged.sizelimit");
    DownloadRun run("servers-killed-pages");
    run.UseDirectory(server.Port(), servers.Fact("base.paged"));
    const TraceHook hook(run.Viewer(),
                         "Paged search: page 1, " + std::to_string(limit) + " entries",
                         [&] { KillServer(server.Pid()); });
    ASSERT_TRUE(run.Start(false));
    run.FinishWithoutMessageBox(kSilentRunTimeoutMs);

    // The first page is written (every hundredth entry is a voice mailbox), and the cut named.
    EXPECT_EQ(run.Records().size(), static_cast<size_t>(limit - 1));
    EXPECT_TRUE(EndedWith(run.Program(), kBookIncomplete));
    const std::vector<std::string> red = run.Traced(kRed);
    ASSERT_FALSE(red.empty());
    EXPECT_NE(red.back().find("ended the search after " + std::to_string(limit) + " entries"),
              std::string::npos)
        << ::testing::PrintToString(red);
}

} // namespace
