// The setup program's start-up as a person meets it: the command line, the window check,
// locating Notes through notes.ini and loading the bridge.
#include "tarnsetup_run.h"

#include "exit_status_check.h"
#include "file_dialog.h"
#include "message_box.h"
#include "product_keys.h"
#include "resource_ids.h"
#include "test_files.h"
#include "test_registry.h"
#include "window_actions.h"
#include "window_finder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The bridge calls of a run that ends by itself and succeeds, as "name(args)" in call order.
std::string CallsOfRun(TarnsetupRun& run, const std::string& arguments) {
    if (!run.Start(arguments))
        return "(not started)";
    run.ExpectNoQuestionUntilExit();
    EXPECT_TRUE(EndedWith(run.Process(), kSetupDone)) << "command line [" << arguments << "]";
    std::string calls;
    for (const LoggedCall& call : run.BridgeCalls()) {
        calls += (calls.empty() ? "" : ",") + call.name + "(";
        for (std::size_t i = 0; i < call.args.size(); ++i)
            calls += (i ? " " : "") + call.args[i];
        calls += ")";
    }
    return calls;
}

TEST(TarnsetupCommandLine, WithoutSAndUTheInstallRunsWithFlagOneOnlyForMinusI) {
    const struct {
        const char* arguments;
        const char* calls;
    } cases[] = {
        {"", "InstallVoxtarionComponents(0)"},      {"-i", "InstallVoxtarionComponents(1)"},
        {"-U", "InstallVoxtarionComponents(0)"},    {"/s", "InstallVoxtarionComponents(0)"},
        {"-S -I", "InstallVoxtarionComponents(0)"},
    };
    for (const auto& c : cases) {
        TarnsetupRun run("command-install");
        EXPECT_EQ(CallsOfRun(run, c.arguments), c.calls) << "command line [" << c.arguments << "]";
    }
}

TEST(TarnsetupCommandLine, MinusUWithoutMinusSRunsTheUninstallAndIgnoresMinusI) {
    for (const char* arguments : {"-u", "-i -u"}) {
        TarnsetupRun run("command-uninstall");
        EXPECT_EQ(CallsOfRun(run, arguments), "UnInstallVoxtarionComponents()")
            << "command line [" << arguments << "]";
    }
}

TEST(TarnsetupCommandLine, MinusSAnywhereRunsTheServerInstall) {
    for (const char* arguments : {"-u -s", "-s -u", "-silent", "-i -s"}) {
        TarnsetupRun run("command-server");
        ASSERT_TRUE(run.Start(arguments));
        const HWND dialog = driver::WaitForWindow(run.Process(), OptionDialog());
        ASSERT_NE(dialog, nullptr) << "command line [" << arguments << "]";
        driver::PressButton(dialog, IDCANCEL);
        EXPECT_TRUE(run.WaitForExit());
        EXPECT_FALSE(run.BridgeWasCalled()) << "command line [" << arguments << "]";
        EXPECT_TRUE(EndedWith(run.Process(), kSetupCancelled))
            << "command line [" << arguments << "]";
    }
}

TEST(TarnsetupStartup, WithoutTheResourceLibraryOnlyTheBuiltInMessageShows) {
    TarnsetupRun run("no-resources", "tarnhook.dll", false);
    ASSERT_TRUE(run.Start());
    const driver::MessageBoxInfo box = driver::AnswerMessageBox(run.Process(), IDOK);
    ExpectErrorBox(box, "Voxtarion", "Load library failed:tarnlang.dll");
    run.ExpectNoQuestionUntilExit();
    EXPECT_FALSE(run.BridgeWasCalled());
    // notes.ini was not looked for: its path was never copied to the per-user key.
    EXPECT_FALSE(GetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "NotesIniPath"));
    EXPECT_TRUE(EndedWith(run.Process(), kSetupLibraryMissing));
}

// A top-level window titled text 31, as the product's own desktop program would show.
class BlockingWindow {
  public:
    BlockingWindow()
        : window_(CreateWindowA("STATIC", ResourceText(IDS_BLOCKING_WINDOW_TITLE).c_str(), WS_POPUP,
                                0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr)) {}
    ~BlockingWindow() { Close(); }
    BlockingWindow(const BlockingWindow&) = delete;
    BlockingWindow& operator=(const BlockingWindow&) = delete;
    explicit operator bool() const { return window_ != nullptr; }
    void Close() {
        if (window_)
            DestroyWindow(window_);
        window_ = nullptr;
    }

  private:
    HWND window_;
};

TEST(TarnsetupStartup, TheQuestionRepeatsWhileTheBlockingWindowIsOpen) {
    TarnsetupRun run("blocking-ok");
    BlockingWindow blocker;
    ASSERT_TRUE(blocker);
    ASSERT_TRUE(run.Start());
    ExpectQuestionBox(driver::AnswerMessageBox(run.Process(), IDOK), IDS_CLOSE_WINDOW_QUESTION);
    ExpectQuestionBox(driver::AnswerMessageBox(run.Process(), IDOK), IDS_CLOSE_WINDOW_QUESTION);
    const driver::MessageBoxInfo third = driver::WaitForMessageBox(run.Process());
    ExpectQuestionBox(third, IDS_CLOSE_WINDOW_QUESTION);
    EXPECT_FALSE(run.BridgeWasCalled()) << "nothing runs while the window is open";

    // Once the window is gone, OK goes on with the install.
    blocker.Close();
    driver::PressButton(third.window, IDOK);
    EXPECT_TRUE(driver::WaitForWindowGone(third.window));
    run.ExpectNoQuestionUntilExit();
    EXPECT_EQ(CallNames(run.BridgeCalls()), "InstallVoxtarionComponents");
    EXPECT_TRUE(EndedWith(run.Process(), kSetupDone));
}

TEST(TarnsetupStartup, CancelAtTheWindowCheckEndsBeforeAnythingIsRead) {
    TarnsetupRun run("blocking-cancel");
    const std::string iniBefore = run.NotesIniText();
    BlockingWindow blocker;
    ASSERT_TRUE(blocker);
    ASSERT_TRUE(run.Start());
    ExpectQuestionBox(driver::AnswerMessageBox(run.Process(), IDCANCEL), IDS_CLOSE_WINDOW_QUESTION);
    run.ExpectNoQuestionUntilExit();
    EXPECT_FALSE(run.BridgeWasCalled());
    EXPECT_FALSE(GetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "NotesIniPath"));
    EXPECT_EQ(run.NotesIniText(), iniBefore);
    EXPECT_TRUE(EndedWith(run.Process(), kSetupCancelled));
}

// A folder on drive C: whose nnotes.dll and tarnhook.dll are removed when the test ends, and
// the folder with them. (An empty Directory, which would give the drive's root, names no file:
// setup_library_places_test.cpp.)
class FolderOnDriveC {
  public:
    explicit FolderOnDriveC(const std::string& path) : path_(path) {
        Remove();
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~FolderOnDriveC() { Remove(); }
    FolderOnDriveC(const FolderOnDriveC&) = delete;
    FolderOnDriveC& operator=(const FolderOnDriveC&) = delete;
    const std::string& Path() const { return path_; }

  private:
    void Remove() {
        const std::string folder = path_.back() == '\\' ? path_ : path_ + "\\";
        for (const char* name : {"nnotes.dll", "tarnhook.dll"})
            DeleteFileA((folder + name).c_str());
        RemoveDirectoryA(path_.c_str());
    }
    std::string path_;
};

// A Directory that names the data folder: its parent is the Notes program folder, whose
// nnotes.dll is loaded and which becomes the current directory. The bridge lies only in that
// folder, so it loads only when that folder is current; a broken nnotes.dll in the data
// folder would end in the question "Notes not found".
TEST(TarnsetupStartup, ADataFolderValueLoadsNnotesFromItsParentAndMakesThatCurrent) {
    TarnsetupRun run("directory-data", "");
    CopyTestFile(driver::BinDir() + "\\nnotes_broken.dll", run.Notes().dataDir + "\\nnotes.dll");
    CopyTestFile(driver::BinDir() + "\\tarnhook.dll", run.Notes().programDir + "\\tarnhook.dll");
    EXPECT_EQ(CallsOfRun(run, ""), "InstallVoxtarionComponents(0)");
}

TEST(TarnsetupStartup, AValueWithOneBackslashIsUsedWhole) {
    FolderOnDriveC notes("C:\\TarnNotesData");
    CopyTestFile(driver::BinDir() + "\\nnotes.dll", notes.Path() + "\\nnotes.dll");
    CopyTestFile(driver::BinDir() + "\\tarnhook.dll", notes.Path() + "\\tarnhook.dll");
    TarnsetupRun run("directory-one-backslash", "");
    run.WriteNotesIni("[Notes]\r\nDirectory=" + notes.Path() + "\r\n");
    EXPECT_EQ(CallsOfRun(run, ""), "InstallVoxtarionComponents(0)");
}

TEST(TarnsetupStartup, AfterAnEmptyValueTheRecordedPathServesWithoutAQuestion) {
    TarnsetupRun run("directory-empty-recorded");
    run.WriteNotesIni("[Notes]\r\nDirectory=\r\n");
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "NotesDllPath", run.Notes().dllPath);
    EXPECT_EQ(CallsOfRun(run, ""), "InstallVoxtarionComponents(0)");
}

TEST(TarnsetupStartup, ADirectoryTooLongForTheLibraryNameCountsAsNotLoaded) {
    // 258 characters fit the path buffer, but their folder does not take "\nnotes.dll".
    TarnsetupRun run("directory-too-long");
    run.WriteNotesIni("[Notes]\r\nDirectory=C:\\" + std::string(250, 'n') + "\\Data\r\n");
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "NotesDllPath", run.Notes().dllPath);
    EXPECT_EQ(CallsOfRun(run, ""), "InstallVoxtarionComponents(0)");

    TarnsetupRun longer("directory-longer-than-buffer");
    longer.WriteNotesIni("[Notes]\r\nDirectory=C:\\" + std::string(400, 'n') + "\\Data\r\n");
    ASSERT_TRUE(longer.Start());
    ExpectQuestionBox(driver::AnswerMessageBox(longer.Process(), IDCANCEL), IDS_NOTES_NOT_FOUND);
    EXPECT_TRUE(longer.WaitForExit());
    EXPECT_FALSE(longer.BridgeWasCalled());
    EXPECT_TRUE(EndedWith(longer.Process(), kSetupNotesNotFound));
}

TEST(TarnsetupStartup, NotesFoundNowhereAsksAndCancelEnds) {
    TarnsetupRun run("notes-not-found");
    run.WriteNotesIni("[Notes]\r\nDirectory=" + run.Notes().dataDir + "\\Nowhere\\Data\r\n");
    ASSERT_TRUE(run.Start());
    ExpectQuestionBox(driver::AnswerMessageBox(run.Process(), IDCANCEL), IDS_NOTES_NOT_FOUND);
    run.ExpectNoQuestionUntilExit();
    EXPECT_FALSE(run.BridgeWasCalled());
    EXPECT_TRUE(EndedWith(run.Process(), kSetupNotesNotFound));
}

TEST(TarnsetupStartup, OkAtTheNotesQuestionLetsTheUserLookAndACancelledLookEndsQuietly) {
    TarnsetupRun run("notes-browse-cancel");
    run.WriteNotesIni("[Notes]\r\nDirectory=" + run.Notes().dataDir + "\\Nowhere\\Data\r\n");
    ASSERT_TRUE(run.Start());
    ExpectQuestionBox(driver::AnswerMessageBox(run.Process(), IDOK), IDS_NOTES_NOT_FOUND);
    driver::FileDialog dialog =
        driver::FileDialog::WaitFor(run.Process(), ResourceText(IDS_BROWSE_NOTES_TITLE));
    ASSERT_TRUE(dialog);
    dialog.Cancel();
    EXPECT_TRUE(dialog.WaitUntilClosed());
    run.ExpectNoQuestionUntilExit();
    EXPECT_FALSE(run.BridgeWasCalled());
    EXPECT_TRUE(EndedWith(run.Process(), kSetupNotesNotFound));
}

TEST(TarnsetupStartup, AMissingBridgeLibraryIsReportedByName) {
    TarnsetupRun run("no-bridge", "");
    ASSERT_TRUE(run.Start());
    ExpectErrorBox(driver::AnswerMessageBox(run.Process(), IDOK), ResourceText(IDS_SETUP_CAPTION),
                   ResourceText(IDS_LIBRARY_NOT_LOADED, "tarnhook.dll"));
    run.ExpectNoQuestionUntilExit();
    EXPECT_TRUE(EndedWith(run.Process(), kSetupLibraryMissing));
}

} // namespace
