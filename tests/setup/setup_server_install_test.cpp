// The server install as a person meets it: the option dialog, the choice of databases, and
// one Notes session in which each database gets the components.
#include "tarnsetup_run.h"

#include "exit_status_check.h"
#include "file_dialog.h"
#include "message_box.h"
#include "resource_ids.h"
#include "test_files.h"
#include "window_actions.h"
#include "window_finder.h"
#include "window_reading.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Starts the server install and answers the option dialog: OK with the preselected first
// button, OK after choosing the second, or Cancel.
enum class Option { First, Second, CancelAfterSecond };

bool AnswerOptionDialog(TarnsetupRun& run, Option option) {
    if (!run.Start("-s"))
        return false;
    const HWND dialog = driver::WaitForWindow(run.Process(), OptionDialog());
    if (!dialog)
        return false;
    if (option != Option::First)
        driver::SelectRadio(dialog, IDC_OPTION_SECOND, {IDC_OPTION_FIRST, IDC_OPTION_SECOND});
    driver::PressButton(dialog, option == Option::CancelAfterSecond ? IDCANCEL : IDOK);
    return driver::WaitForWindowGone(dialog);
}

// Waits for the database dialog and chooses the names, typed into its file name field.
bool ChooseDatabases(TarnsetupRun& run, const std::vector<std::string>& names) {
    driver::FileDialog dialog =
        driver::FileDialog::WaitFor(run.Process(), ResourceText(IDS_SERVER_INSTALL_CAPTION));
    if (!dialog)
        return false;
    if (names.size() == 1)
        dialog.TypeFileName(names.front());
    else
        dialog.TypeFileNames(names);
    return dialog.PressOpen() && dialog.WaitUntilClosed();
}

// Empty database files in the Notes data folder, which the dialog opens in.
void MakeDatabases(const TarnsetupRun& run, const std::vector<std::string>& names) {
    for (const std::string& name : names)
        WriteWholeFile(run.Notes().dataDir + "\\" + name, "");
}

TEST(TarnsetupServerInstall, TheOptionDialogOpensCentredWithTheFirstButtonChecked) {
    TarnsetupRun run("server-option-dialog");
    ASSERT_TRUE(run.Start("-s"));
    const HWND dialog = driver::WaitForWindow(run.Process(), OptionDialog());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(driver::CheckState(dialog, IDC_OPTION_FIRST), BST_CHECKED);
    EXPECT_EQ(driver::CheckState(dialog, IDC_OPTION_SECOND), BST_UNCHECKED);
    EXPECT_EQ(driver::Owner(dialog), nullptr);
    RECT rect;
    GetWindowRect(dialog, &rect);
    EXPECT_NEAR((rect.left + rect.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 2);
    EXPECT_NEAR((rect.top + rect.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 2);
    driver::PressButton(dialog, IDCANCEL);
    EXPECT_TRUE(run.WaitForExit());
}

TEST(TarnsetupServerInstall, OneDatabaseIsPassedWithItsFullPathAndTheFirstOptionsFlag) {
    TarnsetupRun run("server-one");
    MakeDatabases(run, {"mail.nsf"});
    ASSERT_TRUE(AnswerOptionDialog(run, Option::First));
    ASSERT_TRUE(ChooseDatabases(run, {"mail.nsf"}));
    run.ExpectNoQuestionUntilExit();
    const std::vector<LoggedCall> calls = run.BridgeCalls();
    ASSERT_EQ(CallNames(calls),
              "InitNotesSession,ServerInstallVoxtarionComponents,CloseNotesSession");
    ASSERT_EQ(calls[1].args.size(), 2u);
    EXPECT_STRCASEEQ(calls[1].args[0].c_str(), (run.Notes().dataDir + "\\mail.nsf").c_str());
    EXPECT_EQ(calls[1].args[1], "1");
    EXPECT_TRUE(EndedWith(run.Process(), kSetupDone));
}

TEST(TarnsetupServerInstall, ThreeDatabasesGetOneSessionAndEachItsOwnStatusText) {
    TarnsetupRun run("server-three");
    const std::vector<std::string> names = {"b.nsf", "a.nsf", "c.nsf"};
    MakeDatabases(run, names);
    const std::string iniBefore = run.NotesIniText();
    ASSERT_TRUE(AnswerOptionDialog(run, Option::Second));
    ASSERT_TRUE(ChooseDatabases(run, names));
    run.ExpectNoQuestionUntilExit();

    const std::vector<LoggedCall> calls = run.BridgeCalls();
    ASSERT_EQ(CallNames(calls), "InitNotesSession,ServerInstallVoxtarionComponents,"
                                "ServerInstallVoxtarionComponents,"
                                "ServerInstallVoxtarionComponents,CloseNotesSession");
    for (std::size_t i = 0; i < names.size(); ++i) {
        const LoggedCall& call = calls[i + 1];
        ASSERT_EQ(call.args.size(), 2u);
        const std::string path = run.Notes().dataDir + "\\" + names[i];
        EXPECT_STRCASEEQ(call.args[0].c_str(), path.c_str());
        EXPECT_EQ(call.args[1], "0") << "the second option gives flag 0";
        EXPECT_EQ(StatusTextDuring(call), ResourceText(IDS_STATUS_SERVER_INSTALL, call.args[0]));
    }
    EXPECT_EQ(run.NotesIniText(), iniBefore) << "the server install never writes notes.ini";
    EXPECT_TRUE(EndedWith(run.Process(), kSetupDone));
}

TEST(TarnsetupServerInstall, CancelInTheOptionDialogRunsNothing) {
    TarnsetupRun run("server-option-cancel");
    ASSERT_TRUE(AnswerOptionDialog(run, Option::CancelAfterSecond));
    run.ExpectNoQuestionUntilExit();
    EXPECT_FALSE(run.BridgeWasCalled());
    EXPECT_TRUE(EndedWith(run.Process(), kSetupCancelled));
}

TEST(TarnsetupServerInstall, ACancelledDatabaseDialogDoesNothing) {
    TarnsetupRun run("server-dialog-cancel");
    const std::string iniBefore = run.NotesIniText();
    ASSERT_TRUE(AnswerOptionDialog(run, Option::First));
    driver::FileDialog dialog =
        driver::FileDialog::WaitFor(run.Process(), ResourceText(IDS_SERVER_INSTALL_CAPTION));
    ASSERT_TRUE(dialog);
    dialog.Cancel();
    EXPECT_TRUE(dialog.WaitUntilClosed());
    run.ExpectNoQuestionUntilExit();
    EXPECT_FALSE(run.BridgeWasCalled());
    EXPECT_EQ(run.NotesIniText(), iniBefore);
    EXPECT_TRUE(EndedWith(run.Process(), kSetupCancelled));
}

TEST(TarnsetupServerInstall, AMissingSessionEntryPointIsNamedAndNoSessionOpens) {
    for (const char* exportName : {"CloseNotesSession", "ServerInstallVoxtarionComponents"}) {
        TarnsetupRun run("server-missing-entry-point",
                         std::string("tarnhook_no_") + exportName + ".dll");
        MakeDatabases(run, {"mail.nsf"});
        ASSERT_TRUE(AnswerOptionDialog(run, Option::First));
        ASSERT_TRUE(ChooseDatabases(run, {"mail.nsf"}));
        ExpectErrorBox(driver::AnswerMessageBox(run.Process(), IDOK),
                       ResourceText(IDS_SERVER_INSTALL_CAPTION),
                       ResourceText(IDS_ENTRY_POINT_MISSING, exportName));
        run.ExpectNoQuestionUntilExit();
        EXPECT_FALSE(run.BridgeWasCalled()) << "InitNotesSession must not be called";
        EXPECT_TRUE(EndedWith(run.Process(), kSetupLibraryMissing)) << exportName;
    }
}

} // namespace
