// The status window while the program waits for the directory server, read on screen while a
// paused server holds the program inside its request, and who owns the download's windows.
#include "download_session.h"

#include "connection/connection_notices.h"
#include "exit_status_check.h"
#include "resource_ids.h"
#include "window_finder.h"
#include "window_reading.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>

namespace {

POINT Centre(const RECT& rect) {
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

void ExpectCentredOn(const RECT& rect, const RECT& area, const char* what) {
    const POINT centre = Centre(rect);
    const POINT expected = Centre(area);
    EXPECT_LE(std::abs(centre.x - expected.x), 2) << "not centred on " << what;
    EXPECT_LE(std::abs(centre.y - expected.y), 2) << "not centred on " << what;
}

// True when the window stays on screen for a while: the program is held inside its request,
// so its status window must not go before the server answers.
bool StaysOnScreen(HWND window) {
    return !driver::PollUntil([window] { return !IsWindow(window) || !IsWindowVisible(window); },
                              300);
}

struct StatusSeen {
    HWND connecting = nullptr;
    HWND connectingOwner = nullptr;
    RECT connectingRect = {};
    HWND searching = nullptr;
    HWND searchingOwner = nullptr;
    RECT searchingRect = {};
    bool bothAtOnce = true;
};

// Runs a silent download against the pausable server, which is stopped while the program
// connects and again when it starts to search, and reads the status window each time.
StatusSeen RunWithPausedServer(DownloadRun& run) {
    const TestbedServers& servers = TestbedServers::Get();
    const DWORD pid = servers.Pid("pausable");
    ServerResumer resumer(pid);
    run.UseDirectory(servers.Port("pausable"), servers.Fact("base.staff"));
    const TraceHook beforeSearch(run.Viewer(), "DoDownloadAdddressBook",
                                 [pid] { PauseServer(pid); });
    StatusSeen seen;
    PauseServer(pid);
    if (!run.Start(false))
        return seen;

    seen.connecting =
        WaitForItemText(run.Program(), IDC_STATUS_TEXT, ResourceText(IDS_STATUS_CONNECTING));
    if (seen.connecting && !StaysOnScreen(seen.connecting))
        seen.connecting = nullptr;
    if (seen.connecting) {
        seen.connectingOwner = driver::Owner(seen.connecting);
        GetWindowRect(seen.connecting, &seen.connectingRect);
    }
    ResumeServer(pid);

    seen.searching =
        WaitForItemText(run.Program(), IDC_STATUS_TEXT, ResourceText(IDS_STATUS_SEARCHING));
    if (seen.searching && !StaysOnScreen(seen.searching))
        seen.searching = nullptr;
    if (seen.searching) {
        seen.searchingOwner = driver::Owner(seen.searching);
        GetWindowRect(seen.searching, &seen.searchingRect);
        int statusWindows = 0;
        for (HWND window : driver::VisibleWindowsOf(run.Program().Id()))
            statusWindows += driver::Item(window, IDC_STATUS_TEXT) ? 1 : 0;
        seen.bothAtOnce = statusWindows != 1;
    }
    ResumeServer(pid);
    run.FinishWithoutMessageBox();
    return seen;
}

// The bridge calls see the status windows gone and the progress window without owner.
void ExpectWindowsAtTheBridgeCalls(const DownloadRun& run) {
    const std::vector<LoggedCall> opened = CallsNamed(run.Calls(), "OpenAddressBook");
    ASSERT_EQ(opened.size(), 1u) << CallNames(run.Calls());
    EXPECT_EQ(opened[0].WindowWithItem(IDC_STATUS_TEXT), nullptr)
        << "the connection's status window outlived the connection";
    const std::vector<LoggedCall> records = run.Records();
    ASSERT_FALSE(records.empty()) << CallNames(run.Calls());
    EXPECT_EQ(records[0].WindowWithItem(IDC_STATUS_TEXT), nullptr)
        << "the search's status window outlived the search";
    const LoggedWindow* progress = records[0].WindowWithItem(IDC_PROGRESS_BAR);
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->owner, "0");
}

TEST(DownloadWindows, WithoutNotesRunningTheStatusWindowsHaveNoOwnerAndSitMidScreen) {
    ASSERT_EQ(FindWindowA("NOTES", nullptr), nullptr) << "a NOTES window is already open";
    DownloadRun run("windows-no-notes");
    const StatusSeen seen = RunWithPausedServer(run);
    ASSERT_NE(seen.connecting, nullptr) << "no status window stayed while connecting";
    ASSERT_NE(seen.searching, nullptr) << "no status window stayed while searching";

    EXPECT_EQ(seen.connectingOwner, nullptr);
    EXPECT_EQ(seen.searchingOwner, nullptr);
    EXPECT_FALSE(seen.bothAtOnce) << "the connection's status window was still on screen";
    RECT workArea = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    ExpectCentredOn(seen.connectingRect, workArea, "the work area");
    ExpectCentredOn(seen.searchingRect, workArea, "the work area");
    ExpectWindowsAtTheBridgeCalls(run);
    EXPECT_EQ(run.Records().size(),
              static_cast<size_t>(TestbedServers::Get().Number("staff.entries")));
}

TEST(DownloadWindows, WithNotesRunningTheStatusWindowsBelongToItsMainWindowAndSitOverIt) {
    const NotesMainWindow notes(RECT{40, 60, 640, 460});
    ASSERT_NE(notes.Window(), nullptr);
    DownloadRun run("windows-notes");
    const StatusSeen seen = RunWithPausedServer(run);
    ASSERT_NE(seen.connecting, nullptr) << "no status window stayed while connecting";
    ASSERT_NE(seen.searching, nullptr) << "no status window stayed while searching";

    EXPECT_EQ(seen.connectingOwner, notes.Window());
    EXPECT_EQ(seen.searchingOwner, notes.Window());
    RECT notesRect = {};
    GetWindowRect(notes.Window(), &notesRect);
    ExpectCentredOn(seen.connectingRect, notesRect, "the Notes main window");
    ExpectCentredOn(seen.searchingRect, notesRect, "the Notes main window");
    // The progress window is never owned, Notes or not.
    ExpectWindowsAtTheBridgeCalls(run);
}

// What a window answered to the messages sent to it while the program waited.
struct Answering {
    int sent = 0;
    int answered = 0;
    std::vector<std::string> misses; // when, after the server fell silent, and what came
    DWORD firstAnsweredAt = 0;       // ticks of the first and the last answer
    DWORD lastAnsweredAt = 0;
    bool lookedForHang = false;
    bool hungAfterFiveSeconds = false; // IsHungAppWindow, looked at once 6 s had passed
    bool closeAnswered = false;
    bool stayedAfterClose = true;
};

// True when the window is gone within a second: the program has ended the search.
bool GoesWithinASecond(HWND window) {
    return driver::PollUntil([window] { return !IsWindow(window); }, 1000);
}

// Sends the status window's text item WM_GETTEXT every quarter second until the window goes,
// each time waiting at most half a second for the answer; once, a close request to the window.
Answering AskUntilGone(HWND status, const std::string& text, DWORD pausedAt) {
    constexpr DWORD kAnswerMs = 500;
    Answering seen;
    const HWND item = driver::Item(status, IDC_STATUS_TEXT);
    const DWORD deadline = GetTickCount() + (kServerAnswerSeconds + 10) * 1000;
    while (IsWindow(status) && static_cast<LONG>(GetTickCount() - deadline) < 0) {
        char buffer[256] = "";
        DWORD_PTR length = 0;
        const DWORD asked = GetTickCount();
        const bool answered =
            SendMessageTimeoutA(item, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                                SMTO_ABORTIFHUNG, kAnswerMs, &length) != 0;
        // A message that finds the window on its way out belongs to the end of the search.
        if (!(answered && buffer == text) && GoesWithinASecond(status))
            break;
        ++seen.sent;
        if (answered && buffer == text) {
            ++seen.answered;
            seen.lastAnsweredAt = GetTickCount();
            if (seen.firstAnsweredAt == 0)
                seen.firstAnsweredAt = seen.lastAnsweredAt;
        } else {
            seen.misses.push_back(std::to_string((asked - pausedAt) / 1000.0) + " s: " +
                                  (answered ? "\"" + std::string(buffer) + "\"" : "no answer"));
        }
        if (seen.sent == 4) {
            DWORD_PTR ignored = 0;
            seen.closeAnswered = SendMessageTimeoutA(status, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG,
                                                     kAnswerMs, &ignored) != 0;
        }
        if (seen.sent > 4 && !IsWindowVisible(status) && !GoesWithinASecond(status))
            seen.stayedAfterClose = false;
        if (!seen.lookedForHang && GetTickCount() - pausedAt > 6000 && IsWindow(status)) {
            seen.lookedForHang = true;
            seen.hungAfterFiveSeconds = IsHungAppWindow(status) != FALSE;
        }
        Sleep(250);
    }
    return seen;
}

// The program waits for a silent server on its one thread, which shows the status window:
// the window keeps answering, as a window that takes no message for five seconds counts as not
// responding and holds up everyone who sends it one.
TEST(DownloadWindows, TheStatusWindowAnswersMessagesWhileTheSearchWaitsForASilentServer) {
    const TestbedServers& servers = TestbedServers::Get();
    const DWORD pid = servers.Pid("pausable");
    const int port = servers.Port("pausable");
    ServerResumer resumer(pid);
    DownloadRun run("windows-answering");
    run.UseDirectory(port, servers.Fact("base.staff"));
    run.SeedAddressBook({"Old,Record,1,old.record@tarn.test"});
    const std::string book = run.AddressBook();
    std::atomic<DWORD> pausedAt{0};
    std::atomic<ULONGLONG> silentSince{0};
    const TraceHook beforeSearch(run.Viewer(), "DoDownloadAdddressBook",
                                 [pid, &pausedAt, &silentSince] {
                                     PauseServer(pid);
                                     silentSince = ClockNow();
                                     pausedAt = GetTickCount();
                                 });
    ASSERT_TRUE(run.Start(false));
    const std::string searching = ResourceText(IDS_STATUS_SEARCHING);
    const HWND status = WaitForItemText(run.Program(), IDC_STATUS_TEXT, searching);
    ASSERT_NE(status, nullptr) << "no status window while searching";
    const Answering seen = AskUntilGone(status, searching, pausedAt);
    run.FinishWithoutMessageBox(kServerAnswerSeconds * 1000 + kRunTimeoutMs);

    EXPECT_TRUE(seen.misses.empty())
        << seen.misses.size() << " of " << seen.sent
        << " messages unanswered: " << ::testing::PrintToString(seen.misses);
    // Asked four times a second for as long as the search waited.
    EXPECT_GE(seen.sent, static_cast<int>(kServerAnswerSeconds) * 2);
    EXPECT_GE(seen.lastAnsweredAt - seen.firstAnsweredAt, (kServerAnswerSeconds - 2) * 1000)
        << "the answers did not span the wait";
    EXPECT_FALSE(seen.hungAfterFiveSeconds) << "the status window counts as not responding";
    EXPECT_TRUE(seen.closeAnswered) << "the close request was not answered";
    EXPECT_TRUE(seen.stayedAfterClose) << "a close request took the status window away";
    // The run ends as before: the silence named, the book left as it was.
    EXPECT_EQ(run.Traced(kRed),
              std::vector<std::string>{ServerSilentText("127.0.0.1", port, kServerAnswerSeconds)});
    EXPECT_EQ(run.AddressBook(), book);
    EXPECT_TRUE(EndedWith(run.Program(), kBookUnreachable));
    ExpectEndedWithinTheBound(run.Program(), silentSince, kServerAnswerSeconds);
}

// The connection's steps wait on a thread of their own: the status window answers while the
// server holds back its answer to the bind, and the run goes on once it comes.
TEST(DownloadWindows, TheStatusWindowAnswersMessagesWhileTheBindWaitsForItsAnswer) {
    constexpr DWORD kHoldMs = 9000;
    const TestbedServers& servers = TestbedServers::Get();
    RecordingRelay relay(servers.Port("directory"));
    std::atomic<DWORD> heldAt{0};
    relay.HoldBefore([&heldAt](bool fromProgram, unsigned char operation, const std::string&) {
        if (fromProgram || operation != kLdapBindResponse || heldAt != 0)
            return;
        heldAt = GetTickCount();
        Sleep(kHoldMs);
    });
    DownloadRun run("windows-answering-bind");
    run.UseDirectory(relay.Port(), servers.Fact("base.staff"));
    ASSERT_TRUE(run.Start(false));
    const std::string connecting = ResourceText(IDS_STATUS_CONNECTING);
    const HWND status = WaitForItemText(run.Program(), IDC_STATUS_TEXT, connecting);
    ASSERT_NE(status, nullptr) << "no status window while connecting";
    ASSERT_TRUE(driver::PollUntil([&heldAt] { return heldAt != 0; }, 5000))
        << "the bind's answer was never held";
    const Answering seen = AskUntilGone(status, connecting, heldAt);
    run.FinishWithoutMessageBox();

    EXPECT_TRUE(seen.misses.empty())
        << seen.misses.size() << " of " << seen.sent
        << " messages unanswered: " << ::testing::PrintToString(seen.misses);
    EXPECT_GE(seen.lastAnsweredAt - seen.firstAnsweredAt, kHoldMs - 2000)
        << "the answers did not span the wait";
    EXPECT_TRUE(seen.lookedForHang) << "the bind did not wait long enough to tell";
    EXPECT_FALSE(seen.hungAfterFiveSeconds) << "the status window counts as not responding";
    EXPECT_TRUE(seen.closeAnswered) << "the close request was not answered";
    EXPECT_TRUE(seen.stayedAfterClose) << "a close request took the status window away";
    EXPECT_EQ(run.Records().size(), static_cast<size_t>(servers.Number("staff.entries")));
    EXPECT_TRUE(EndedWith(run.Program(), kBookRefreshed));
}

} // namespace
