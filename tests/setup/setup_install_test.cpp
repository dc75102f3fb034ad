// Install and uninstall through the bridge: what the status window shows during the bridge
// call, and what the bridge's result does to notes.ini.
#include "tarnsetup_run.h"

#include "exit_status_check.h"
#include "message_box.h"
#include "resource_ids.h"
#include "window_actions.h"
#include "window_finder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Both entries registered among other products' entries.
const char kRegistered[] = "NSF_HOOKS=other,tarnhook\r\n"
                           "EXTMGR_ADDINS=tarnpwd, more\r\n";
const char kRemoved[] = "NSF_HOOKS=other\r\n"
                        "EXTMGR_ADDINS=more\r\n";

// The only call of the run, which must be export.
LoggedCall OnlyCall(const TarnsetupRun& run, const std::string& exportName) {
    const std::vector<LoggedCall> calls = run.BridgeCalls();
    EXPECT_EQ(CallNames(calls), exportName);
    return calls.empty() ? LoggedCall() : calls.front();
}

TEST(TarnsetupInstall, WithoutMinusITheStatusShowsTheInstallText) {
    TarnsetupRun run("install-status");
    ASSERT_TRUE(run.Start());
    run.ExpectNoQuestionUntilExit();
    const LoggedCall call = OnlyCall(run, "InstallVoxtarionComponents");
    EXPECT_EQ(StatusTextDuring(call), ResourceText(IDS_STATUS_INSTALLING));
    const LoggedWindow* status = call.WindowWithItem(IDC_STATUS_TEXT);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->owner, "0") << "the status window has no owner";
}

TEST(TarnsetupInstall, WithMinusITheStatusKeepsItsFirstText) {
    TarnsetupRun run("install-status-i");
    ASSERT_TRUE(run.Start("-i"));
    run.ExpectNoQuestionUntilExit();
    EXPECT_EQ(StatusTextDuring(OnlyCall(run, "InstallVoxtarionComponents")),
              ResourceText(IDS_STATUS_FIRST));
}

TEST(TarnsetupInstall, AResultOfMinusOneRemovesBothEntries) {
    TarnsetupRun run("install-result-negative");
    run.WriteNotesIni(run.NotesIniWith(kRegistered));
    run.Script("InstallVoxtarionComponents=-1");
    ASSERT_TRUE(run.Start());
    run.ExpectNoQuestionUntilExit();
    OnlyCall(run, "InstallVoxtarionComponents");
    EXPECT_EQ(run.NotesIniText(), run.NotesIniWith(kRemoved));
    EXPECT_TRUE(EndedWith(run.Process(), kSetupInstallRefused));
}

TEST(TarnsetupInstall, AResultOfFortySixRegistersBothEntries) {
    TarnsetupRun run("install-result-46");
    run.WriteNotesIni(run.NotesIniWith("NSF_HOOKS=other\r\n"));
    run.Script("InstallVoxtarionComponents=46");
    ASSERT_TRUE(run.Start("-i"));
    run.ExpectNoQuestionUntilExit();
    EXPECT_EQ(OnlyCall(run, "InstallVoxtarionComponents").args, std::vector<std::string>{"1"});
    EXPECT_EQ(run.NotesIniText(),
              run.NotesIniWith("NSF_HOOKS=other,tarnhook\r\nEXTMGR_ADDINS=tarnpwd\r\n"));
    EXPECT_TRUE(EndedWith(run.Process(), kSetupDone));
}

TEST(TarnsetupInstall, AnyOtherResultRegistersTheHookLibraryAndRemovesTheAddIn) {
    TarnsetupRun run("install-result-zero");
    run.WriteNotesIni(run.NotesIniWith("NSF_HOOKS=\r\nEXTMGR_ADDINS=tarnpwd\r\n"));
    ASSERT_TRUE(run.Start());
    run.ExpectNoQuestionUntilExit();
    EXPECT_EQ(OnlyCall(run, "InstallVoxtarionComponents").result, 0);
    EXPECT_EQ(run.NotesIniText(), run.NotesIniWith("NSF_HOOKS=tarnhook\r\nEXTMGR_ADDINS=\r\n"));
    EXPECT_TRUE(EndedWith(run.Process(), kSetupDone));
}

TEST(TarnsetupUninstall, RemovesBothEntriesWithTheFirstStatusTextShowing) {
    TarnsetupRun run("uninstall");
    run.WriteNotesIni(run.NotesIniWith(kRegistered));
    ASSERT_TRUE(run.Start("-u"));
    run.ExpectNoQuestionUntilExit();
    EXPECT_EQ(StatusTextDuring(OnlyCall(run, "UnInstallVoxtarionComponents")),
              ResourceText(IDS_STATUS_FIRST));
    EXPECT_EQ(run.NotesIniText(), run.NotesIniWith(kRemoved));
    EXPECT_TRUE(EndedWith(run.Process(), kSetupDone));
}

TEST(TarnsetupInstall, AMissingEntryPointIsReportedAndNotesIniStaysAsItWas) {
    const struct {
        const char* arguments;
        const char* exportName;
    } cases[] = {
        {"-u", "UnInstallVoxtarionComponents"},
        {"", "InstallVoxtarionComponents"},
    };
    for (const auto& c : cases) {
        TarnsetupRun run("missing-entry-point",
                         std::string("tarnhook_no_") + c.exportName + ".dll");
        run.WriteNotesIni(run.NotesIniWith(kRegistered));
        const std::string before = run.NotesIniText();
        ASSERT_TRUE(run.Start(c.arguments));
        const driver::MessageBoxInfo box = driver::WaitForMessageBox(run.Process());
        ExpectErrorBox(box, ResourceText(IDS_SETUP_CAPTION),
                       ResourceText(IDS_ENTRY_POINT_MISSING, c.exportName));
        // The status window stays on screen while the message is open.
        bool statusShown = false;
        for (HWND window : driver::VisibleWindowsOf(run.Process().Id()))
            statusShown = statusShown || GetDlgItem(window, IDC_STATUS_TEXT) != nullptr;
        EXPECT_TRUE(statusShown) << c.exportName;
        driver::PressButton(box.window, IDOK);
        EXPECT_TRUE(driver::WaitForWindowGone(box.window));
        run.ExpectNoQuestionUntilExit();
        EXPECT_FALSE(run.BridgeWasCalled()) << c.exportName;
        EXPECT_EQ(run.NotesIniText(), before) << c.exportName;
        EXPECT_TRUE(EndedWith(run.Process(), kSetupLibraryMissing)) << c.exportName;
    }
}

} // namespace
