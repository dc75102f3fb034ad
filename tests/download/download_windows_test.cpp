// The status window while the program waits for the directory server, read on screen while a
// paused server holds the program inside its request, and who owns the download's windows.
#include "download_session.h"

#include "resource_ids.h"
#include "window_finder.h"
#include "window_reading.h"

#include <gtest/gtest.h>

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

} // namespace
