// How a download ends: no entries, entries that would give no record, a record the
// bridge refuses, a directory capped even for paged searches or a plain search ended by
// the server's time limit, an address book that cannot be opened.
#include "download_session.h"

#include "download_notices.h"
#include "exit_status_check.h"
#include "product_keys.h"
#include "test_registry.h"

#include "message_box.h"
#include "resource_ids.h"
#include "window_actions.h"
#include "window_finder.h"
#include "window_reading.h"

#include <windows.h>
#include <winldap.h>

#include <gtest/gtest.h>

namespace {

const char kOldRecord[] = "Old,Record,1,old.record@tarn.test";
const char kOpenFailed[] = "CTarnbookApp::DownloadAddressBook(): Failed to open Address Book";

// The index of the first trace line with this text and colour, or -1.
int IndexOf(const std::vector<driver::TraceLine>& lines, const std::string& text, DWORD colour) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].text == text && lines[i].colour == colour)
            return static_cast<int>(i);
    }
    return -1;
}

TEST(DownloadOutcome, NoEntriesLeaveTheAddressBookUntouchedAndTraceTheSettings) {
    const TestbedServers& servers = TestbedServers::Get();
    DownloadRun run("outcome-no-entries");
    const std::string base = servers.Fact("base.empty");
    run.UseDirectory(servers.Port("directory"), base);
    run.SeedAddressBook({kOldRecord});
    const std::string before = run.AddressBook();
    ASSERT_TRUE(run.Start(false));
    run.FinishWithoutMessageBox();

    EXPECT_EQ(CallNames(run.Calls()),
              "InitNotesSession,OpenAddressBook,CloseAddressBook,CloseNotesSession");
    EXPECT_EQ(run.AddressBook(), before);
    EXPECT_EQ(run.Traced(kRed), std::vector<std::string>{ResourceText(IDS_NO_ENTRIES)});
    const std::vector<driver::TraceLine> lines = run.Traces();
    const int notice = IndexOf(lines, ResourceText(IDS_NO_ENTRIES), kRed);
    const int server = IndexOf(
        lines, "ServerName: 127.0.0.1, PortNumber: " + std::to_string(servers.Port("directory")),
        kBlue);
    const int count = IndexOf(lines, "SearchBase: " + base + ", NumberOfEntries: 0", kBlue);
    EXPECT_NE(server, -1) << ::testing::PrintToString(run.Traced(kBlue));
    EXPECT_NE(count, -1) << ::testing::PrintToString(run.Traced(kBlue));
    EXPECT_LT(notice, server);
    EXPECT_LT(server, count);
    EXPECT_TRUE(EndedWith(run.Program(), kBookUnchanged));
}

TEST(DownloadOutcome, NoEntriesAreToldInABoxTitledWithTheDownloadCaptionOverTheProgressWindow) {
    const TestbedServers& servers = TestbedServers::Get();
    DownloadRun run("outcome-no-entries-interactive");
    run.UseDirectory(servers.Port("directory"), servers.Fact("base.empty"));
    run.SeedAddressBook({kOldRecord});
    const std::string before = run.AddressBook();
    ASSERT_TRUE(run.Start(true));

    const driver::MessageBoxInfo box = driver::WaitForMessageBox(run.Program());
    ASSERT_TRUE(box);
    EXPECT_EQ(box.caption, ResourceText(IDS_PROGRESS_CAPTION));
    EXPECT_EQ(box.text, ResourceText(IDS_NO_ENTRIES));
    EXPECT_EQ(box.ButtonIds(), std::vector<int>{IDOK});
    EXPECT_TRUE(box.topmost) << "the box is not system-modal";
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_NE(WindowWithItem(run.Program().Id(), IDC_PROGRESS_BAR), nullptr)
        << "the progress window is not on screen while the box is open";
    driver::PressButton(box.window, IDOK);
    run.WaitForExit();

    EXPECT_TRUE(CallsNamed(run.Calls(), "DeleteAll").empty());
    EXPECT_EQ(run.AddressBook(), before);
    EXPECT_TRUE(run.Traced(kRed).empty()) << ::testing::PrintToString(run.Traced(kRed));
    EXPECT_TRUE(EndedWith(run.Program(), kBookUnchanged));
}

// Entries found, none of which would become a record: the book is never emptied for nothing.
TEST(DownloadOutcome, EntriesThatWouldGiveNoRecordLeaveTheAddressBookAsItWas) {
    const TestbedServers& servers = TestbedServers::Get();
    const struct Case {
        const char* base;
        const char* mailAttribute; // "" for the default
        unsigned long entries;
    } cases[] = {
        // No mail value has an "@".
        {"base.voice", "", 3},
        // No entry has the attribute, as where the account may not read it.
        {"base.staff", "mial", static_cast<unsigned long>(servers.Number("staff.entries"))},
    };
    for (const Case& c : cases) {
        for (const bool interactive : {false, true}) {
            const std::string what = std::string(c.base) + (interactive ? " interactive" : "");
            DownloadRun run("outcome-nothing-to-write");
            run.UseDirectory(servers.Port("directory"), servers.Fact(c.base));
            if (*c.mailAttribute)
                SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "MailAttribute",
                                  c.mailAttribute);
            run.SeedAddressBook({kOldRecord});
            const std::string before = run.AddressBook();
            const std::string notice =
                NothingToWriteText(c.entries, *c.mailAttribute ? c.mailAttribute : "mail");
            ASSERT_TRUE(run.Start(interactive)) << what;
            if (interactive) {
                const driver::MessageBoxInfo box = driver::WaitForMessageBox(run.Program());
                ASSERT_TRUE(box) << what;
                EXPECT_EQ(box.caption, ResourceText(IDS_PROGRESS_CAPTION));
                EXPECT_EQ(box.text, notice);
                driver::PressButton(box.window, IDOK);
                run.WaitForExit();
            } else {
                run.FinishWithoutMessageBox();
            }
            EXPECT_EQ(CallNames(run.Calls()),
                      "InitNotesSession,OpenAddressBook,CloseAddressBook,CloseNotesSession")
                << what;
            EXPECT_EQ(run.AddressBook(), before) << what;
            EXPECT_EQ(run.Traced(kRed), std::vector<std::string>{notice}) << what;
            EXPECT_TRUE(EndedWith(run.Program(), kBookUnreachable)) << what;
            LoggedEvent event;
            ASSERT_TRUE(LeftOneEvent(run.Program(), event)) << what;
            EXPECT_EQ(event.id & 0xFFFF, 1200u) << what;
            EXPECT_EQ(event.strings.back(), notice) << what;
        }
    }
}

TEST(DownloadOutcome, ARefusedRecordEndsTheWalkKeepsTheRecordsBeforeItAndIsReported) {
    const TestbedServers& servers = TestbedServers::Get();
    const int entries = servers.Number("staff.entries");
    DownloadRun run("outcome-refused");
    run.UseDirectory(servers.Port("directory"), servers.Fact("base.staff"));
    run.UseBridgeScript("AddNewAddressBookRecordW#3=0");
    run.SeedAddressBook({kOldRecord});
    ASSERT_TRUE(run.Start(false));
    run.FinishWithoutMessageBox();

    const std::vector<LoggedCall> records = run.Records();
    ASSERT_EQ(records.size(), 3u) << CallNames(run.Calls());
    EXPECT_EQ(records[2].result, 0);
    const std::vector<LoggedCall> calls = run.Calls();
    EXPECT_EQ(calls[calls.size() - 3].name, kRecordExport);
    EXPECT_EQ(calls[calls.size() - 2].name, "CloseAddressBook");
    EXPECT_EQ(calls[calls.size() - 1].name, "CloseNotesSession");

    // The two records before the refused one stay written, and nothing else.
    const std::vector<std::string> book = run.AddressBookRecords();
    ASSERT_EQ(book.size(), 2u) << run.AddressBook();
    EXPECT_NE(book[0].find(records[0].args[3]), std::string::npos) << book[0];
    EXPECT_NE(book[1].find(records[1].args[3]), std::string::npos) << book[1];

    // The bar spans the entries and has stepped once per entry before each record.
    for (size_t i = 0; i < records.size(); ++i) {
        const LoggedProgress* bar = ProgressAt(records[i]);
        ASSERT_NE(bar, nullptr) << "no progress bar on screen at record " << i + 1;
        EXPECT_EQ(bar->min, 0);
        EXPECT_EQ(bar->max, entries);
        EXPECT_EQ(bar->pos, static_cast<int>(i)) << "at record " << i + 1;
    }
    const LoggedWindow* window = records[0].WindowWithItem(IDC_PROGRESS_BAR);
    EXPECT_EQ(window->owner, "0");
    EXPECT_EQ(window->title, ResourceText(IDS_PROGRESS_CAPTION));
    ASSERT_NE(window->Item(IDC_PROGRESS_TEXT), nullptr);
    EXPECT_EQ(window->Item(IDC_PROGRESS_TEXT)->text, ResourceText(IDS_PROGRESS_TEXT));

    // The refusal is traced in red, naming the refused address.
    const std::vector<std::string> red = run.Traced(kRed);
    ASSERT_EQ(red.size(), 1u) << ::testing::PrintToString(red);
    EXPECT_NE(red[0].find(records[2].args[3]), std::string::npos) << red[0];
    EXPECT_TRUE(EndedWith(run.Program(), kBookIncomplete));
}

TEST(DownloadOutcome, ARefusedRecordIsToldInABoxWhileTheBarStandsAtTwoSteps) {
    const TestbedServers& servers = TestbedServers::Get();
    const int entries = servers.Number("staff.entries");
    DownloadRun run("outcome-refused-interactive");
    run.UseDirectory(servers.Port("directory"), servers.Fact("base.staff"));
    run.UseBridgeScript("AddNewAddressBookRecordW#3=0");
    ASSERT_TRUE(run.Start(true));

    const driver::MessageBoxInfo box = driver::WaitForMessageBox(run.Program());
    ASSERT_TRUE(box);
    const std::vector<LoggedCall> records = run.Records();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_NE(box.text.find(records[2].args[3]), std::string::npos) << box.text;
    EXPECT_EQ(box.caption, ResourceText(IDS_PROGRESS_CAPTION));
    const HWND progress = WindowWithItem(run.Program().Id(), IDC_PROGRESS_BAR);
    ASSERT_NE(progress, nullptr) << "the progress window is not on screen with the box";
    const std::optional<driver::ProgressState> bar =
        driver::ReadProgress(driver::Item(progress, IDC_PROGRESS_BAR));
    ASSERT_TRUE(bar.has_value());
    EXPECT_EQ(bar->position, 2);
    EXPECT_EQ(bar->low, 0);
    EXPECT_EQ(bar->high, entries);
    driver::PressButton(box.window, IDOK);
    run.WaitForExit();

    EXPECT_EQ(run.Records().size(), 3u) << "the walk went on after the refusal";
    EXPECT_EQ(run.AddressBookRecords().size(), 2u) << run.AddressBook();
    EXPECT_TRUE(EndedWith(run.Program(), kBookIncomplete));
}

// A search that the server ended with code after the entries written: they are written, and
// the user is told so in a box once they are, or silent in the one red line.
void ExpectCutWrittenAndTold(const std::string& name, const std::string& base, int written,
                             ULONG code) {
    const std::string notice = SearchCutText(written, LdapText(code));
    for (const bool interactive : {false, true}) {
        SCOPED_TRACE(interactive ? "interactive" : "silent");
        DownloadRun run(interactive ? name + "-interactive" : name);
        run.UseDirectory(TestbedServers::Get().Port("directory"), base);
        ASSERT_TRUE(run.Start(interactive));
        if (interactive) {
            // The notice comes once the records are written, while the book is still open.
            const driver::MessageBoxInfo box = driver::WaitForMessageBox(run.Program());
            ASSERT_TRUE(box);
            EXPECT_EQ(box.caption, ResourceText(IDS_PROGRESS_CAPTION));
            EXPECT_EQ(box.text, notice);
            EXPECT_EQ(box.ButtonIds(), std::vector<int>{IDOK});
            EXPECT_TRUE(box.topmost) << "the box is not system-modal";
            EXPECT_EQ(box.owner, nullptr);
            EXPECT_EQ(run.Records().size(), static_cast<size_t>(written));
            EXPECT_TRUE(CallsNamed(run.Calls(), "CloseAddressBook").empty());
            driver::PressButton(box.window, IDOK);
            run.WaitForExit();
        } else {
            run.FinishWithoutMessageBox();
        }

        const std::vector<LoggedCall> records = run.Records();
        EXPECT_EQ(records.size(), static_cast<size_t>(written)) << CallNames(run.Calls());
        EXPECT_EQ(run.AddressBookRecords().size(), static_cast<size_t>(written))
            << run.AddressBook();
        // Silent, the notice is the one red line; shown in a box, the library's text is traced.
        EXPECT_EQ(run.Traced(kRed),
                  std::vector<std::string>{interactive ? LdapText(code) : notice});
        ASSERT_FALSE(records.empty());
        const LoggedProgress* bar = ProgressAt(records.front());
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(bar->max, written);
        EXPECT_TRUE(EndedWith(run.Program(), kBookIncomplete));
    }
}

TEST(DownloadOutcome, ADirectoryCappedForPagedSearchesTooIsWrittenAsFarAsItGoesAndSaysSo) {
    const TestbedServers& servers = TestbedServers::Get();
    const int total = servers.Number("limited.pagedtotal");
    ASSERT_LT(servers.Number("limited.sizelimit"), total);
    ASSERT_LT(total, servers.Number("limited.entries"));
    ExpectCutWrittenAndTold("outcome-capped", servers.Fact("base.limited"), total,
                            LDAP_SIZELIMIT_EXCEEDED);
}

TEST(DownloadOutcome, APlainSearchEndedByTheServersTimeLimitIsWrittenAsFarAsItGoesAndSaysSo) {
    const TestbedServers& servers = TestbedServers::Get();
    ExpectCutWrittenAndTold("outcome-timelimit", servers.Fact("base.timed"),
                            servers.Number("timed.before"), LDAP_TIMELIMIT_EXCEEDED);
}

TEST(DownloadOutcome, AnAddressBookThatCannotBeOpenedIsOnlyTracedInEitherMode) {
    const TestbedServers& servers = TestbedServers::Get();
    for (const bool interactive : {false, true}) {
        SCOPED_TRACE(interactive ? "interactive" : "silent");
        DownloadRun run(interactive ? "outcome-unopened-interactive" : "outcome-unopened");
        run.UseDirectory(servers.Port("directory"), servers.Fact("base.staff"));
        run.UseBridgeScript("OpenAddressBook=0");
        run.SeedAddressBook({kOldRecord});
        const std::string before = run.AddressBook();
        ASSERT_TRUE(run.Start(interactive));
        run.FinishWithoutMessageBox();

        EXPECT_EQ(CallNames(run.Calls()),
                  "InitNotesSession,OpenAddressBook,CloseAddressBook,CloseNotesSession");
        EXPECT_EQ(run.Traced(kRed), std::vector<std::string>{kOpenFailed});
        EXPECT_EQ(run.AddressBook(), before);
        EXPECT_TRUE(EndedWith(run.Program(), kBookUnreachable)) << "Notes gave no address book";
    }
}

} // namespace
