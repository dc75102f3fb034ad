#include "tarnsetup_run.h"

#include "product_keys.h"
#include "resource_ids.h"
#include "test_files.h"
#include "test_registry.h"
#include "window_finder.h"

#include <gtest/gtest.h>

TarnsetupRun::TarnsetupRun(const std::string& name, const std::string& bridge, bool withResources)
    : program_(MakeProgramFolder(name, "TARNSETUP.exe", bridge, withResources)),
      notes_(MakeNotesInstall(name)) {
    ResetProductRegistry();
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "NotesIniPath", notes_.iniPath);
}

TarnsetupRun::~TarnsetupRun() {
    process_.Kill();
    ResetProductRegistry();
}

void TarnsetupRun::WriteNotesIni(const std::string& text) {
    WriteWholeFile(notes_.iniPath, text);
}

std::string TarnsetupRun::NotesIniWith(const std::string& moreLines) const {
    return "[Notes]\r\nDirectory=" + notes_.dataDir + "\r\n" + moreLines;
}

std::string TarnsetupRun::NotesIniText() const {
    return driver::ReadTextFile(notes_.iniPath);
}

bool TarnsetupRun::Start(const std::string& arguments) {
    driver::LaunchOptions options = options_;
    if (options.workingDirectory.empty())
        options.WorkingDirectory(program_.dir);
    options.Arguments(arguments).SetEnvironment("TARNHOOK_LOG", program_.bridgeLog);
    options.RecordEvents();
    if (!script_.empty())
        options.SetEnvironment("TARNHOOK_SCRIPT", script_);
    else
        options.RemoveEnvironment("TARNHOOK_SCRIPT");
    return process_.Start(program_.exe, options);
}

// How long after a window without the status text the driver looks at it again.
constexpr DWORD kSecondLookMs = 200;

void TarnsetupRun::ExpectNoQuestionUntilExit() {
    const ULONGLONG deadline = GetTickCount64() + driver::kExitTimeoutMs;
    while (process_.IsRunning() && GetTickCount64() < deadline) {
        for (HWND window : driver::VisibleWindowsOf(process_.Id())) {
            // A question stays on screen until it is answered; the status window may be seen
            // for a moment without its text, as the program puts it up or takes it down.
            const auto question = [window] {
                return IsWindow(window) && IsWindowVisible(window) &&
                       !GetDlgItem(window, IDC_STATUS_TEXT);
            };
            if (!question())
                continue;
            Sleep(kSecondLookMs);
            if (question()) {
                ADD_FAILURE() << "expected the program to end without asking, saw "
                              << driver::DescribeWindow(window) << ": "
                              << driver::ReadMessageBox(window).text;
                return;
            }
        }
        Sleep(driver::kPollIntervalMs);
    }
    EXPECT_TRUE(process_.WaitForExit(0)) << "the program did not end";
}

bool TarnsetupRun::BridgeWasCalled() const {
    return driver::FileExists(program_.bridgeLog);
}

void ExpectErrorBox(const driver::MessageBoxInfo& box, const std::string& caption,
                    const std::string& text) {
    ASSERT_TRUE(box) << "expected the message \"" << text << "\"";
    EXPECT_EQ(box.caption, caption);
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.ButtonIds(), std::vector<int>{IDOK});
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_FALSE(box.topmost) << "an error is not system-modal";
}

void ExpectQuestionBox(const driver::MessageBoxInfo& box, unsigned textId) {
    ASSERT_TRUE(box) << "expected the question " << textId;
    EXPECT_EQ(box.caption, ResourceText(IDS_SETUP_CAPTION));
    EXPECT_EQ(box.text, ResourceText(textId));
    EXPECT_EQ(box.ButtonIds(), (std::vector<int>{IDOK, IDCANCEL}));
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_TRUE(box.topmost) << "a question is system-modal";
}

std::string StatusTextDuring(const LoggedCall& call) {
    const LoggedWindow* status = call.WindowWithItem(IDC_STATUS_TEXT);
    return status ? status->Item(IDC_STATUS_TEXT)->text : std::string();
}

driver::WindowMatch OptionDialog() {
    driver::WindowMatch match;
    match.test = [](HWND window) { return GetDlgItem(window, IDC_OPTION_FIRST) != nullptr; };
    match.kind = "the option dialog";
    return match;
}
