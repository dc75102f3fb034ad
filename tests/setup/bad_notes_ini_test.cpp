// The setup program against notes.ini files nobody checked: very long lists, bytes above
// 0x7F, a missing section, a Directory no path buffer holds; and files it cannot write.
// Every other entry survives, and a file that cannot be written is named in the report.
#include "tarnsetup_run.h"

#include "exit_status_check.h"
#include "message_box.h"
#include "resource_ids.h"
#include "stored_values.h"
#include "test_files.h"
#include "test_registry.h"
#include "window_actions.h"
#include "window_finder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Other products' entries, with bytes above 0x7F among them, to at least length bytes.
std::string LongList(const std::string& stem, std::size_t length) {
    std::string list;
    for (int i = 0; list.size() < length; ++i)
        list += (i ? "," : "") + stem + "\xe4\xf6\xfc\x80\x9f\xa0\xff" + std::to_string(i);
    return list;
}

// A notes.ini with the two lists among values and a section with bytes above 0x7F.
std::string NotesIni(const TarnsetupRun& run, const std::string& hooks, const std::string& addins) {
    return run.NotesIniWith("NSF_HOOKS=" + hooks + "\r\nOther=\xe9t\xe9 \x81\x8d\x8f\x90\x9d\r\n" +
                            "EXTMGR_ADDINS=" + addins + "\r\n[\xc4nderung]\r\nKey=\xff\r\n");
}

// The one report of a file that is kept as it was: caption text 125, OK.
void ExpectReport(TarnsetupRun& run, const std::string& text) {
    const driver::MessageBoxInfo box = driver::WaitForMessageBox(run.Process());
    ExpectErrorBox(box, ResourceText(IDS_SETUP_CAPTION), text);
    driver::PressButton(box.window, IDOK);
    EXPECT_TRUE(driver::WaitForWindowGone(box.window));
    run.ExpectNoQuestionUntilExit();
    EXPECT_TRUE(EndedWith(run.Process(), kSetupNotesIniNotWritten));
}

TEST(TarnsetupNotesIni, ListsUpToTheLongestValueAndBytesAboveSevenFKeepEveryOtherEntry) {
    TarnsetupRun run("notes-ini-long");
    const std::string hooks = LongList("hook", 32000);
    const std::string addins = LongList("addin", 32000);
    const std::string before = NotesIni(run, hooks, addins);
    run.WriteNotesIni(before);
    run.Script("InstallVoxtarionComponents=46");
    ASSERT_TRUE(run.Start("-i"));
    run.ExpectNoQuestionUntilExit();
    EXPECT_TRUE(run.NotesIniText() == NotesIni(run, hooks + ",tarnhook", addins + ",tarnpwd"))
        << "the install changed other bytes";
    EXPECT_TRUE(EndedWith(run.Process(), kSetupDone));
    ASSERT_TRUE(run.Start("-u"));
    run.ExpectNoQuestionUntilExit();
    EXPECT_TRUE(run.NotesIniText() == before) << "the uninstall did not restore the file";
    EXPECT_TRUE(EndedWith(run.Process(), kSetupDone));
}

TEST(TarnsetupNotesIni, ListsOf64KiBAreKeptWholeAndTheReportSaysWhy) {
    TarnsetupRun run("notes-ini-64k");
    const std::string before = NotesIni(run, LongList("hook", 65536), LongList("addin", 65536));
    run.WriteNotesIni(before);
    run.Script("InstallVoxtarionComponents=46");
    ASSERT_TRUE(run.Start("-i"));
    ExpectReport(run, "NSF_HOOKS and EXTMGR_ADDINS would be longer than the 32,766 characters a "
                      "value of the Notes configuration file " +
                          run.Notes().iniPath + " can hold; they were not updated.");
    EXPECT_TRUE(run.NotesIniText() == before) << "the install lost bytes";
    // Nothing of ours to take out: the uninstall leaves the file alone, without a report.
    ASSERT_TRUE(run.Start("-u"));
    run.ExpectNoQuestionUntilExit();
    EXPECT_TRUE(run.NotesIniText() == before) << "the uninstall lost bytes";
    EXPECT_TRUE(EndedWith(run.Process(), kSetupDone));
}

TEST(TarnsetupNotesIni, ADirectoryNoBufferHoldsAndAMissingSectionStillLetTheEditWork) {
    const struct {
        const char* what;
        std::string before;
        std::string installed;
    } cases[] = {
        {"64 KiB Directory", "[Notes]\r\nDirectory=" + LongList("C:\\data", 65536) + "\r\n",
         "[Notes]\r\nDirectory=" + LongList("C:\\data", 65536) +
             "\r\nNSF_HOOKS=tarnhook\r\nEXTMGR_ADDINS=tarnpwd\r\n"},
        {"no [Notes] section", "[Other]\r\nKey=Value\r\n",
         "[Other]\r\nKey=Value\r\n[Notes]\r\nNSF_HOOKS=tarnhook\r\nEXTMGR_ADDINS=tarnpwd\r\n"},
    };
    for (const auto& c : cases) {
        TarnsetupRun run("notes-ini-odd");
        // notes.ini does not lead to Notes: the Lotus key does.
        SetRegistryString(HKEY_LOCAL_MACHINE, kLotusKey40, "Path", run.Notes().programDir);
        run.WriteNotesIni(c.before);
        run.Script("InstallVoxtarionComponents=46");
        ASSERT_TRUE(run.Start("-i"));
        run.ExpectNoQuestionUntilExit();
        EXPECT_TRUE(run.NotesIniText() == c.installed) << c.what << ":\n"
                                                       << run.NotesIniText().substr(0, 400);
        EXPECT_TRUE(EndedWith(run.Process(), kSetupDone)) << c.what;
    }
}

TEST(TarnsetupNotesIni, ARecordedPathThatFillsItsBufferIsUsedWhole) {
    TarnsetupRun run("notes-ini-full-path");
    // 259 characters stored without terminator: the buffer holds them with its own.
    const std::string path = PaddedPath(run.Notes().programDir, 259, "\\notes.ini");
    SetRegistryBytes(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "NotesIniPath", REG_SZ, path);
    run.WriteNotesIni(run.NotesIniWith(""));
    run.Script("InstallVoxtarionComponents=46");
    ASSERT_TRUE(run.Start("-i"));
    run.ExpectNoQuestionUntilExit();
    EXPECT_EQ(run.NotesIniText(),
              run.NotesIniWith("NSF_HOOKS=tarnhook\r\nEXTMGR_ADDINS=tarnpwd\r\n"));
    EXPECT_EQ(GetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "NotesIniPath"), path);
    EXPECT_TRUE(EndedWith(run.Process(), kSetupDone));
}

// The report of a file that cannot be written, naming it.
void ExpectNotWrittenReport(TarnsetupRun& run, const std::string& path) {
    ExpectReport(run, "The Notes configuration file " + path +
                          " could not be written. NSF_HOOKS and EXTMGR_ADDINS were not updated.");
}

TEST(TarnsetupNotesIni, AFolderInPlaceOfTheFileIsNamedInTheReport) {
    TarnsetupRun run("notes-ini-folder");
    const std::string folder = run.Notes().programDir + "\\folder.ini";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "NotesIniPath", folder);
    SetRegistryString(HKEY_LOCAL_MACHINE, kLotusKey40, "Path", run.Notes().programDir);
    ASSERT_TRUE(run.Start());
    ExpectNotWrittenReport(run, folder);
    EXPECT_EQ(GetFileAttributesA(folder.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
}

TEST(TarnsetupNotesIni, AFileAnotherProcessHoldsIsNamedInTheReportAndKeptAsItWas) {
    TarnsetupRun run("notes-ini-held");
    run.WriteNotesIni(run.NotesIniWith("NSF_HOOKS=a\r\nEXTMGR_ADDINS=b\r\n"));
    const std::string before = run.NotesIniText();
    // This test process holds the file open without sharing while the program runs.
    const HANDLE held = CreateFileA(run.Notes().iniPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    SetRegistryString(HKEY_LOCAL_MACHINE, kLotusKey40, "Path", run.Notes().programDir);
    const bool started = run.Start("-u");
    if (started)
        ExpectNotWrittenReport(run, run.Notes().iniPath);
    CloseHandle(held);
    EXPECT_EQ(run.NotesIniText(), before);
}

TEST(TarnsetupNotesIni, AReadOnlyFileIsEitherReportedAndKeptOrEditedWhole) {
    // Windows refuses the write and the report names the file; Wine running as root writes
    // it. Either way nothing else of the file is lost.
    TarnsetupRun run("notes-ini-read-only");
    run.WriteNotesIni(run.NotesIniWith("NSF_HOOKS=a,tarnhook\r\nEXTMGR_ADDINS=tarnpwd,b\r\n"));
    const std::string before = run.NotesIniText();
    ASSERT_TRUE(SetFileAttributesA(run.Notes().iniPath.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(run.Start("-u"));
    driver::WindowMatch messageBox;
    messageBox.test = driver::IsMessageBox;
    HWND box = nullptr;
    const DWORD start = GetTickCount();
    while (!box && run.Process().IsRunning() && GetTickCount() - start < driver::kExitTimeoutMs) {
        box = driver::FindWindowOf(run.Process().Id(), messageBox);
        Sleep(driver::kPollIntervalMs);
    }
    if (box)
        ExpectNotWrittenReport(run, run.Notes().iniPath);
    EXPECT_TRUE(run.WaitForExit());
    const std::string after = run.NotesIniText();
    EXPECT_EQ(after, box ? before : run.NotesIniWith("NSF_HOOKS=a\r\nEXTMGR_ADDINS=b\r\n"));
    EXPECT_TRUE(EndedWith(run.Process(), box ? kSetupNotesIniNotWritten : kSetupDone));
    EXPECT_NE(GetFileAttributesA(run.Notes().iniPath.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    SetFileAttributesA(run.Notes().iniPath.c_str(), FILE_ATTRIBUTE_NORMAL);
}

} // namespace
