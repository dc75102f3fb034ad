#include "tarnbook_run.h"

#include "product_keys.h"
#include "resource_ids.h"
#include "window_finder.h"
#include "test_files.h"
#include "test_registry.h"

#include <gtest/gtest.h>

TarnbookRun::TarnbookRun(const std::string& name, const std::string& bridge, bool withResources)
    : program_(MakeProgramFolder(name, "TARNBOOK.exe", bridge, withResources)),
      notes_(MakeNotesInstall(name)) {
    ResetProductRegistry();
    EXPECT_TRUE(viewer_) << "the trace viewer did not start";
}

TarnbookRun::~TarnbookRun() {
    process_.Kill();
    ResetProductRegistry();
}

void TarnbookRun::RecordNotesMachineWide() {
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "NotesDllPath", notes_.dllPath);
}

void TarnbookRun::StoreUnreachableServer() {
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "HostName", "127.0.0.1");
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "PortNumber", "1");
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "SearchBase", "o=Nowhere");
}

bool TarnbookRun::Start(const std::string& arguments) {
    driver::LaunchOptions options = options_;
    if (options.workingDirectory.empty())
        options.WorkingDirectory(program_.dir);
    options.Arguments(arguments)
        .SetEnvironment("TARNHOOK_LOG", program_.bridgeLog)
        .SetEnvironment("TARNHOOK_ADDRESSBOOK", notes_.dataDir + "\\names.csv");
    options.RecordEvents();
    if (!script_.empty())
        options.SetEnvironment("TARNHOOK_SCRIPT", script_);
    else
        options.RemoveEnvironment("TARNHOOK_SCRIPT");
    return process_.Start(program_.exe, options);
}

// How long after a window without the status items the driver looks at it again.
constexpr DWORD kSecondLookMs = 200;

void TarnbookRun::ExpectNothingAskedUntilExit() {
    const DWORD deadline = GetTickCount() + driver::kExitTimeoutMs;
    while (process_.IsRunning() && GetTickCount() < deadline) {
        for (HWND window : driver::VisibleWindowsOf(process_.Id())) {
            // A question stays on screen until it is answered; a status or progress window may
            // be seen for a moment without its items, as the program puts it up or takes it down.
            const auto question = [window] {
                return IsWindow(window) && IsWindowVisible(window) &&
                       !GetDlgItem(window, IDC_STATUS_TEXT) &&
                       !GetDlgItem(window, IDC_PROGRESS_BAR);
            };
            if (!question())
                continue;
            Sleep(kSecondLookMs);
            if (question()) {
                ADD_FAILURE() << "expected no question in silent mode, saw "
                              << driver::DescribeWindow(window);
                return;
            }
        }
        Sleep(10);
    }
    EXPECT_TRUE(process_.WaitForExit()) << "the program did not end";
}

std::vector<driver::TraceLine> TarnbookRun::RedLines() const {
    std::vector<driver::TraceLine> red;
    for (const driver::TraceLine& line : viewer_.Lines())
        if (line.colour == 0x0000FF)
            red.push_back(line);
    return red;
}

bool TarnbookRun::Traced(const std::string& text, DWORD colour) const {
    for (const driver::TraceLine& line : viewer_.Lines())
        if (line.text == text && line.colour == colour)
            return true;
    return false;
}
