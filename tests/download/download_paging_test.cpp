// A directory past its server's size limit: the download repeats the search in pages and
// writes the whole directory; a server that goes silent is waited for a bounded time only.
#include "download_session.h"

#include "connection/connection_notices.h"
#include "download_notices.h"
#include "exit_status_check.h"

#include <windows.h>
#include <winldap.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

namespace {

// A run that waits for a silent server takes that wait on top of its usual time.
constexpr DWORD kSilentRunTimeoutMs = kServerAnswerSeconds * 1000 + kRunTimeoutMs;
// What writing a few hundred records may take under Wine on a machine that also builds (3.3 s
// seen on two cores): far below the bound, so a wait that is not bounded still fails.
constexpr unsigned kWritingSeconds = 5;

// The mail addresses of the paged directory's entries that have one, in the directory's
// order: entries 1000 to 1999, every one ending in 50 a voice mailbox.
std::vector<std::string> PagedAddresses(int first, int count) {
    std::vector<std::string> addresses;
    for (int n = first; n < first + count; ++n) {
        if (n % 100 != 50)
            addresses.push_back("paged" + std::to_string(n) + "@tarn.test");
    }
    return addresses;
}

TEST(DownloadPaging, ADirectoryLikeActiveDirectorysIsWrittenWholeOnceAndInItsOrder) {
    const TestbedServers& servers = TestbedServers::Get();
    const int entries = servers.Number("paged.entries");
    const int limit = servers.Number("paged.sizelimit");
    DownloadRun run("paging-whole");
    run.UseDirectory(servers.Port("directory"), servers.Fact("base.paged"));
    run.SeedAddressBook({"Old,Record,1,old.record@tarn.test"});
    ASSERT_TRUE(run.Start(false));
    run.FinishWithoutMessageBox();

    const std::vector<LoggedCall> records = run.Records();
    EXPECT_EQ(MailsOf(records), PagedAddresses(1000, entries));
    EXPECT_EQ(run.AddressBookRecords().size(), records.size()) << "records lost on the way";
    const std::vector<LoggedCall> calls = run.Calls();
    ASSERT_GT(calls.size(), 3u);
    EXPECT_EQ(calls[2].name, "DeleteAll");
    EXPECT_EQ(CallsNamed(calls, "DeleteAll").size(), 1u);
    ASSERT_FALSE(records.empty());
    const LoggedProgress* bar = ProgressAt(records.front());
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->max, entries) << "the bar's range is not the whole directory from the start";

    EXPECT_TRUE(run.Traced(kRed).empty()) << ::testing::PrintToString(run.Traced(kRed));
    EXPECT_TRUE(Contains(run.Traced(kBlue),
                         LdapText(LDAP_SIZELIMIT_EXCEEDED) + " after " + std::to_string(limit) +
                             " entries: searching again in pages of " + std::to_string(limit)))
        << ::testing::PrintToString(run.Traced(kBlue));
    EXPECT_TRUE(EndedWith(run.Program(), kBookRefreshed));
}

TEST(DownloadPaging, ADirectoryWithoutLimitsIsSearchedOnceAsAlways) {
    const TestbedServers& servers = TestbedServers::Get();
    DownloadRun run("paging-unlimited");
    run.UseDirectory(servers.Port("directory"), servers.Fact("base.staff"));
    ASSERT_TRUE(run.Start(false));
    run.FinishWithoutMessageBox();

    // Every line the download traced, all of them blue, and nothing about pages.
    EXPECT_EQ(run.Traced(kBlue),
              (std::vector<std::string>{"DownloadAddressBook", "DoLDAPConnect",
                                        "Notes.ini path:" + run.Notes().iniPath + ", MailServer:",
                                        "DoDownloadAdddressBook"}));
    EXPECT_EQ(run.Traces().size(), 4u);
    EXPECT_EQ(CallNames(run.Calls()).rfind("InitNotesSession,OpenAddressBook,DeleteAll,", 0), 0u);
    EXPECT_EQ(run.Records().size(), static_cast<size_t>(servers.Number("staff.entries")));
    EXPECT_TRUE(EndedWith(run.Program(), kBookRefreshed));
}

TEST(DownloadPaging, AServerThatFallsSilentBetweenPagesLeavesWhatCameWrittenAndSaysSo) {
    const TestbedServers& servers = TestbedServers::Get();
    const DWORD pid = servers.Pid("pausable");
    const int port = servers.Port("pausable");
    const int before = 3 * servers.Number("paged.sizelimit");
    ServerResumer resumer(pid);
    DownloadRun run("paging-silent");
    run.UseDirectory(port, servers.Fact("base.paged"));
    std::atomic<ULONGLONG> silentSince{0};
    const TraceHook afterThirdPage(run.Viewer(),
                                   "Paged search: page 3, " + std::to_string(before) + " entries",
                                   [pid, &silentSince] {
                                       PauseServer(pid);
                                       silentSince = ClockNow();
                                   });
    ASSERT_TRUE(run.Start(false));
    run.FinishWithoutMessageBox(kSilentRunTimeoutMs);
    // After the bound it still writes what came before the silence.
    ExpectEndedWithinTheBound(run.Program(), silentSince, kServerAnswerSeconds + kWritingSeconds);

    EXPECT_EQ(MailsOf(run.Records()), PagedAddresses(1000, before));
    EXPECT_EQ(run.Traced(kRed), std::vector<std::string>{ServerSilentCutText(
                                    "127.0.0.1", port, kServerAnswerSeconds, before)});
    const std::vector<LoggedCall> calls = run.Calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls.back().name, "CloseNotesSession");
    EXPECT_TRUE(EndedWith(run.Program(), kBookIncomplete));
}

// A server that holds the program in its request: paused before the program connects, or when
// it starts to search.
TEST(DownloadPaging, AServerThatDoesNotAnswerIsWaitedForABoundedTimeAndNamed) {
    const TestbedServers& servers = TestbedServers::Get();
    const DWORD pid = servers.Pid("pausable");
    const int port = servers.Port("pausable");
    struct Case {
        const char* name;
        bool whileSearching;
        const char* calls;
    } cases[] = {
        {"connecting", false, "InitNotesSession,CloseAddressBook,CloseNotesSession"},
        {"searching", true, "InitNotesSession,OpenAddressBook,CloseAddressBook,CloseNotesSession"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        ServerResumer resumer(pid);
        DownloadRun run(std::string("paging-no-answer-") + test.name);
        run.UseDirectory(port, servers.Fact("base.staff"));
        run.SeedAddressBook({"Old,Record,1,old.record@tarn.test"});
        const std::string book = run.AddressBook();
        std::unique_ptr<TraceHook> hook;
        std::atomic<ULONGLONG> silentSince{0};
        if (test.whileSearching) {
            hook = std::make_unique<TraceHook>(run.Viewer(), "DoDownloadAdddressBook",
                                               [pid, &silentSince] {
                                                   PauseServer(pid);
                                                   silentSince = ClockNow();
                                               });
        } else {
            PauseServer(pid);
            silentSince = ClockNow();
        }
        const DWORD start = GetTickCount();
        ASSERT_TRUE(run.Start(false));
        run.FinishWithoutMessageBox(kSilentRunTimeoutMs);

        EXPECT_GE(GetTickCount() - start, kServerAnswerSeconds * 1000) << "it did not wait";
        ExpectEndedWithinTheBound(run.Program(), silentSince, kServerAnswerSeconds);
        EXPECT_EQ(run.Traced(kRed), std::vector<std::string>{
                                        ServerSilentText("127.0.0.1", port, kServerAnswerSeconds)});
        EXPECT_EQ(CallNames(run.Calls()), test.calls);
        EXPECT_EQ(run.AddressBook(), book);
        EXPECT_TRUE(EndedWith(run.Program(), kBookUnreachable));
    }
}

} // namespace
