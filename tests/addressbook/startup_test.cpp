// The download program's start-up as a person meets it: run modes, the settings dialog,
// locating Notes, binding the bridge and opening the Notes session.
#include "tarnbook_run.h"

#include "exit_status_check.h"
#include "file_dialog.h"
#include "message_box.h"
#include "product_keys.h"
#include "resource_ids.h"
#include "test_files.h"
#include "test_registry.h"
#include "window_actions.h"
#include "window_finder.h"
#include "window_reading.h"

#include <gtest/gtest.h>

namespace {

const char kInitLotusTrace[] = "CTarnbookApp::InitLotus()";

driver::WindowMatch SettingsDialog() {
    driver::WindowMatch match;
    match.test = [](HWND window) { return GetDlgItem(window, IDC_HOST_NAME) != nullptr; };
    match.kind = "the settings dialog";
    return match;
}

HWND ConfirmSettings(TarnbookRun& run) {
    const HWND dialog = driver::WaitForWindow(run.Process(), SettingsDialog());
    if (dialog)
        driver::PressButton(dialog, IDOK);
    return dialog;
}

// A system-modal box with one OK button and the download program's caption.
void ExpectFailureBox(const driver::MessageBoxInfo& box, const std::string& text) {
    EXPECT_EQ(box.caption, ResourceText(IDS_TARNBOOK_CAPTION));
    EXPECT_EQ(box.text, text);
    EXPECT_TRUE(box.topmost) << "the box must be system-modal";
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(box.ButtonIds(), std::vector<int>{IDOK});
}

TEST(TarnbookRunMode, AnEmptyCommandLineOrBlanksAndTabsRunSilentlyWithoutAnyWindow) {
    for (const std::string arguments : {"", "  \t  "}) {
        TarnbookRun run("silent-mode");
        run.RecordNotesMachineWide();
        run.StoreUnreachableServer();
        ASSERT_TRUE(run.Start(arguments));
        run.ExpectNothingAskedUntilExit();
        EXPECT_EQ(CallNames(run.BridgeCalls()),
                  "InitNotesSession,CloseAddressBook,CloseNotesSession")
            << "arguments [" << arguments << "]";
        EXPECT_FALSE(run.RedLines().empty()) << "the failed connection is traced in red";
        EXPECT_TRUE(EndedWith(run.Process(), kBookUnreachable))
            << "arguments [" << arguments << "]";
    }
}

// A trace viewer that has stopped answering costs a run one bound (3 s) at most, not a hang.
TEST(TarnbookRunMode, ASilentRunWithAViewerThatStopsAnsweringEndsWithinTheBound) {
    DWORD usual = 0;
    {
        TarnbookRun run("viewer-answering");
        run.RecordNotesMachineWide();
        run.StoreUnreachableServer();
        const DWORD start = GetTickCount();
        ASSERT_TRUE(run.Start());
        ASSERT_TRUE(run.WaitForExit());
        usual = GetTickCount() - start;
        EXPECT_GT(run.Viewer().Lines().size(), 2u) << "the run traces several lines";
    }
    TarnbookRun run("viewer-stalled");
    run.RecordNotesMachineWide();
    run.StoreUnreachableServer();
    driver::StalledViewer stalled; // takes over the viewer block
    ASSERT_TRUE(stalled);
    const DWORD start = GetTickCount();
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.WaitForExit());
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_LT(elapsed, usual + 3000u + 2000u) << "usual " << usual << " ms";
    EXPECT_TRUE(run.Viewer().Lines().empty());
    EXPECT_TRUE(EndedWith(run.Process(), kBookUnreachable));
}

TEST(TarnbookRunMode, AnyTextShowsTheSettingsDialogFilledFromTheStoredSettings) {
    TarnbookRun run("interactive-mode");
    run.RecordNotesMachineWide();
    run.StoreUnreachableServer();
    SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "SearchBase", "o=PerUser");
    ASSERT_TRUE(run.Start("anything"));
    const HWND dialog = driver::WaitForWindow(run.Process(), SettingsDialog());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(driver::EditText(dialog, IDC_HOST_NAME), "127.0.0.1");
    EXPECT_EQ(driver::EditText(dialog, IDC_SEARCH_BASE), "o=PerUser");
    driver::ExpectOnlyWindow(run.Process(), dialog);

    driver::PressButton(dialog, IDCANCEL);
    ASSERT_TRUE(run.WaitForExit());
    EXPECT_FALSE(driver::FileExists(run.Program().bridgeLog)) << "no bridge after Cancel";
    EXPECT_FALSE(run.Traced(kInitLotusTrace, 0xFF0000)) << "Notes is not looked for";
    EXPECT_FALSE(GetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "HostName"));
    EXPECT_FALSE(GetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "PortNumber"));
    EXPECT_TRUE(EndedWith(run.Process(), kBookUnchanged));
}

TEST(TarnbookSettingsDialog, AFieldThatAPolicySetsShowsItsValueAndCannotBeEdited) {
    TarnbookRun run("managed-field");
    run.RecordNotesMachineWide();
    run.StoreUnreachableServer();
    SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "HostName", "own.example.org");
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_POLICY_NOTES_KEY, "HostName", "127.0.0.1");
    ASSERT_TRUE(run.Start("anything"));
    const HWND dialog = driver::WaitForWindow(run.Process(), SettingsDialog());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(driver::EditText(dialog, IDC_HOST_NAME), "127.0.0.1");
    EXPECT_TRUE(driver::Style(driver::Item(dialog, IDC_HOST_NAME)) & ES_READONLY);
    EXPECT_FALSE(driver::Style(driver::Item(dialog, IDC_SEARCH_BASE)) & ES_READONLY);
    driver::PressButton(dialog, IDCANCEL);
    ASSERT_TRUE(run.WaitForExit());
    EXPECT_EQ(GetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "HostName"), "own.example.org");
}

// A cleared field is used for this run and saved as no value, so that it never hides the
// machine-wide one at the next.
TEST(TarnbookSettingsDialog, OkWithAClearedHostNameSavesNoHostNameAndGoesOn) {
    TarnbookRun run("cleared-host");
    run.RecordNotesMachineWide();
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "HostName", "ldap.example.org");
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "SearchBase", "o=Example");
    ASSERT_TRUE(run.Start("-x"));
    const HWND dialog = driver::WaitForWindow(run.Process(), SettingsDialog());
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(driver::SetEditText(dialog, IDC_HOST_NAME, ""));
    ASSERT_TRUE(driver::SetEditText(dialog, IDC_SEARCH_BASE, " o=Typed "));
    driver::PressButton(dialog, IDOK);

    // The download goes on to the (unreachable) server and reports its failure.
    const driver::MessageBoxInfo box =
        driver::AnswerMessageBox(run.Process(), IDOK, ResourceText(IDS_TARNBOOK_CAPTION));
    EXPECT_FALSE(box.text.empty());
    EXPECT_NE(box.text, "Success");
    ASSERT_TRUE(run.WaitForExit());
    EXPECT_FALSE(GetRegistryBytes(HKEY_CURRENT_USER, TARN_NOTES_KEY, "HostName"));
    EXPECT_EQ(GetRegistryBytes(HKEY_CURRENT_USER, TARN_NOTES_KEY, "SearchBase"),
              std::string(" o=Typed ", 10));
    EXPECT_EQ(GetRegistryBytes(HKEY_CURRENT_USER, TARN_NOTES_KEY, "PortNumber"),
              std::string("0", 2));
    EXPECT_EQ(CallNames(run.BridgeCalls()), "InitNotesSession,CloseAddressBook,CloseNotesSession");
    EXPECT_TRUE(EndedWith(run.Process(), kBookUnreachable));
}

TEST(TarnbookLocatingNotes, SilentlyNotFoundIsTracedAndNothingIsAsked) {
    TarnbookRun run("not-found-silent");
    ASSERT_TRUE(run.Start());
    driver::ExpectNoWindowUntilExit(run.Process());
    EXPECT_TRUE(run.Traced(ResourceText(IDS_NOTES_NOT_FOUND), 0x0000FF));
    EXPECT_FALSE(driver::FileExists(run.Program().bridgeLog)) << "the bridge is not loaded";
    EXPECT_TRUE(EndedWith(run.Process(), kBookUnreachable));
}

TEST(TarnbookLocatingNotes, CancelAtTheQuestionEndsTheRun) {
    TarnbookRun run("not-found-cancel");
    ASSERT_TRUE(run.Start("x"));
    ASSERT_NE(ConfirmSettings(run), nullptr);
    const driver::MessageBoxInfo box = driver::AnswerMessageBox(run.Process(), IDCANCEL);
    EXPECT_EQ(box.caption, ResourceText(IDS_TARNBOOK_CAPTION));
    EXPECT_EQ(box.text, ResourceText(IDS_NOTES_NOT_FOUND));
    EXPECT_EQ(box.ButtonIds(), (std::vector<int>{IDOK, IDCANCEL}));
    EXPECT_TRUE(box.topmost);
    ASSERT_TRUE(run.WaitForExit());
    EXPECT_FALSE(driver::FileExists(run.Program().bridgeLog));
    EXPECT_TRUE(EndedWith(run.Process(), kBookUnreachable));
}

TEST(TarnbookLocatingNotes, TheFileDialogTakesOnlyNnotesDllAndRecordsWhereItWasFound) {
    TarnbookRun run("browse");
    run.StoreUnreachableServer();
    const std::string dir = run.Notes().programDir;
    CopyTestFile(run.Notes().dllPath, dir + "\\nnotes.dll.bak");
    ASSERT_TRUE(run.Start("x"));
    ASSERT_NE(ConfirmSettings(run), nullptr);
    driver::AnswerMessageBox(run.Process(), IDOK, ResourceText(IDS_TARNBOOK_CAPTION));

    const std::string title = ResourceText(IDS_BROWSE_NOTES_TITLE);
    for (const std::string refused : {"nnotes.dll.bak", "NNOTES.DLL"}) {
        driver::FileDialog dialog = driver::FileDialog::WaitFor(run.Process(), title);
        ASSERT_TRUE(dialog);
        ASSERT_TRUE(dialog.TypeFileName(dir + "\\" + refused));
        dialog.PressOpen();
        ASSERT_TRUE(dialog.WaitUntilClosed());
    }
    driver::FileDialog dialog = driver::FileDialog::WaitFor(run.Process(), title);
    ASSERT_TRUE(dialog);
    const std::optional<std::string> lastChoice = dialog.FileName();
    EXPECT_TRUE(lastChoice && lastChoice->find("NNOTES.DLL") != std::string::npos)
        << "the dialog comes back holding the last choice";
    ASSERT_TRUE(dialog.TypeFileName(run.Notes().dllPath));
    dialog.PressOpen();

    driver::AnswerMessageBox(run.Process(), IDOK, ResourceText(IDS_TARNBOOK_CAPTION));
    ASSERT_TRUE(run.WaitForExit());
    EXPECT_EQ(GetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "NotesDllPath"),
              run.Notes().dllPath);
    EXPECT_EQ(CallNames(run.BridgeCalls()), "InitNotesSession,CloseAddressBook,CloseNotesSession");
    EXPECT_TRUE(EndedWith(run.Process(), kBookUnreachable));
}

TEST(TarnbookLocatingNotes, AChosenLibraryThatDoesNotLoadIsReportedOnce) {
    TarnbookRun run("browse-broken");
    const NotesInstall broken = MakeNotesInstall("browse-broken-copy", "", "nnotes_broken.dll");
    ASSERT_TRUE(run.Start("x"));
    ASSERT_NE(ConfirmSettings(run), nullptr);
    driver::AnswerMessageBox(run.Process(), IDOK);
    driver::FileDialog dialog =
        driver::FileDialog::WaitFor(run.Process(), ResourceText(IDS_BROWSE_NOTES_TITLE));
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(dialog.TypeFileName(broken.dllPath));
    dialog.PressOpen();

    const driver::MessageBoxInfo box = driver::AnswerMessageBox(run.Process(), IDOK);
    EXPECT_EQ(box.caption, ResourceText(IDS_SETUP_CAPTION));
    EXPECT_EQ(box.text, ResourceText(IDS_LIBRARY_NOT_LOADED, "nnotes.dll"));
    driver::ExpectNoWindowUntilExit(run.Process());
    EXPECT_FALSE(driver::FileExists(run.Program().bridgeLog));
    EXPECT_FALSE(GetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "NotesDllPath"));
    EXPECT_TRUE(EndedWith(run.Process(), kBookUnreachable));
}

TEST(TarnbookBridge, AMissingBridgeLibraryIsReportedByName) {
    {
        TarnbookRun run("no-bridge", "");
        run.RecordNotesMachineWide();
        ASSERT_TRUE(run.Start("x"));
        ASSERT_NE(ConfirmSettings(run), nullptr);
        ExpectFailureBox(driver::AnswerMessageBox(run.Process(), IDOK),
                         ResourceText(IDS_LIBRARY_NOT_LOADED, "tarnhook.dll"));
        driver::ExpectNoWindowUntilExit(run.Process());
        EXPECT_TRUE(EndedWith(run.Process(), kBookUnreachable));
    }
    TarnbookRun silent("no-bridge-silent", "");
    silent.RecordNotesMachineWide();
    ASSERT_TRUE(silent.Start());
    driver::ExpectNoWindowUntilExit(silent.Process());
    EXPECT_TRUE(silent.Traced(ResourceText(IDS_LIBRARY_NOT_LOADED, "tarnhook.dll"), 0x0000FF));
    EXPECT_TRUE(EndedWith(silent.Process(), kBookUnreachable));
}

TEST(TarnbookBridge, AMissingEntryPointIsNamedAndNoSessionIsOpened) {
    TarnbookRun run("no-delete-all", "tarnhook_no_DeleteAll.dll");
    run.RecordNotesMachineWide();
    ASSERT_TRUE(run.Start("x"));
    ASSERT_NE(ConfirmSettings(run), nullptr);
    ExpectFailureBox(driver::AnswerMessageBox(run.Process(), IDOK),
                     ResourceText(IDS_ENTRY_POINT_MISSING, "DeleteAll"));
    ASSERT_TRUE(run.WaitForExit());
    EXPECT_EQ(CallNames(run.BridgeCalls()), "") << "neither a session nor CloseLotus";
    EXPECT_TRUE(EndedWith(run.Process(), kBookUnreachable));
}

TEST(TarnbookBridge, EachEntryPointIsRequired) {
    for (const std::string name :
         {"InitNotesSession", "CloseNotesSession", "AddNewAddressBookRecord", "OpenAddressBook",
          "CloseAddressBook"}) {
        TarnbookRun run("no-" + name, "tarnhook_no_" + name + ".dll");
        run.RecordNotesMachineWide();
        ASSERT_TRUE(run.Start());
        ASSERT_TRUE(run.WaitForExit());
        EXPECT_TRUE(run.Traced(ResourceText(IDS_ENTRY_POINT_MISSING, name), 0x0000FF)) << name;
        EXPECT_EQ(CallNames(run.BridgeCalls()), "") << name;
        EXPECT_TRUE(EndedWith(run.Process(), kBookUnreachable)) << name;
    }
}

TEST(TarnbookBridge, AFailedSessionIsReportedAndNeverClosed) {
    TarnbookRun run("session-fails");
    run.RecordNotesMachineWide();
    run.Script("InitNotesSession=7");
    ASSERT_TRUE(run.Start("x"));
    ASSERT_NE(ConfirmSettings(run), nullptr);
    ExpectFailureBox(driver::AnswerMessageBox(run.Process(), IDOK), "InitNotesSession failed!");
    ASSERT_TRUE(run.WaitForExit());
    EXPECT_EQ(CallNames(run.BridgeCalls()), "InitNotesSession");
    EXPECT_TRUE(EndedWith(run.Process(), kBookUnreachable));
}

TEST(TarnbookBridge, SilentFailuresAreTracedInRedInsteadOfShown) {
    TarnbookRun run("session-fails-silent");
    run.RecordNotesMachineWide();
    run.Script("InitNotesSession=1");
    ASSERT_TRUE(run.Start());
    run.ExpectNothingAskedUntilExit();
    EXPECT_TRUE(run.Traced("InitNotesSession failed!", 0x0000FF));
    EXPECT_TRUE(run.Traced(kInitLotusTrace, 0xFF0000));
    EXPECT_TRUE(EndedWith(run.Process(), kBookUnreachable));
}

TEST(TarnbookResources, AMissingResourceLibraryOnlyLeavesATrace) {
    TarnbookRun run("no-resources", "tarnhook.dll", false);
    run.RecordNotesMachineWide();
    ASSERT_TRUE(run.Start("x"));
    driver::ExpectNoWindowUntilExit(run.Process());
    const std::vector<driver::TraceLine> lines = run.Viewer().Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, "Load Resource dll failed");
    EXPECT_EQ(lines[0].colour, 0x0000FFu);
    EXPECT_FALSE(driver::FileExists(run.Program().bridgeLog));
    EXPECT_TRUE(EndedWith(run.Process(), kBookUnchanged));
}

} // namespace
