// The driver proven on tarn_probe, which shows the status window and a system-modal question
// from the resource library, as the product's programs do.
#include "message_box.h"
#include "process.h"
#include "temp_folder.h"
#include "win_path.h"
#include "window_actions.h"
#include "window_finder.h"
#include "window_reading.h"

#include "resource_ids.h"

#include <windows.h>

#include <gtest/gtest.h>
#include <gtest/gtest-spi.h>

namespace {

using namespace driver;

// Texts of the stand-in resource library, read from it as the probe reads them.
std::string LanguageText(UINT id) {
    const HMODULE language =
        LoadLibraryExA(BinFile("tarnlang.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    char text[1024] = "";
    if (language) {
        LoadStringA(language, id, text, sizeof text);
        FreeLibrary(language);
    }
    return text;
}

class ProbeTest : public ::testing::Test {
  protected:
    // Starts the probe in its status mode; it writes its answer to answer_.
    void StartStatusProbe(LaunchOptions options = LaunchOptions()) {
        options.Arguments("status \"" + answer_ + "\"");
        ASSERT_TRUE(probe_.Start(BinFile("tarn_probe.exe"), options));
    }
    std::string Answer() const { return ReadTextFile(answer_); }

    TempFolder folder_;
    std::string answer_ = folder_.File("answer.txt");
    Process probe_;
};

TEST_F(ProbeTest, StatusWindowShowsTheSearchingTextInItem785) {
    StartStatusProbe();
    const HWND status = WaitForWindow(probe_, DialogTitled("Voxtarion"));
    ASSERT_TRUE(status);
    EXPECT_FALSE(LanguageText(IDS_STATUS_SEARCHING).empty());
    EXPECT_TRUE(WaitForItemText(status, IDC_STATUS_TEXT, LanguageText(IDS_STATUS_SEARCHING)));
}

TEST_F(ProbeTest, ItemTextThatNeverComesIsNamedWithWhatTheItemReads) {
    StartStatusProbe();
    ASSERT_TRUE(WaitForMessageBox(probe_));
    const HWND status = FindWindowOf(probe_.Id(), DialogTitled("Voxtarion"));
    ASSERT_TRUE(status);
    EXPECT_NONFATAL_FAILURE(WaitForItemText(status, IDC_STATUS_TEXT, "Connecting", 100),
                            "to read \"Connecting\", it read \"Searching the directory...\"");
}

TEST_F(ProbeTest, QuestionIsASystemModalOkCancelBoxWithoutOwner) {
    StartStatusProbe();
    const MessageBoxInfo box = WaitForMessageBox(probe_, LanguageText(IDS_SETUP_CAPTION));
    ASSERT_TRUE(box);
    EXPECT_EQ(box.text, LanguageText(IDS_NOTES_NOT_FOUND));
    EXPECT_EQ(box.ButtonIds(), (std::vector<int>{IDOK, IDCANCEL}));
    EXPECT_EQ(box.ButtonTexts(), (std::vector<std::string>{"OK", "Cancel"}));
    EXPECT_TRUE(box.topmost);
    EXPECT_EQ(box.owner, nullptr);
}

TEST_F(ProbeTest, PressingOkIsWhatTheProgramSees) {
    StartStatusProbe();
    const MessageBoxInfo box = AnswerMessageBox(probe_, IDOK);
    EXPECT_EQ(box.caption, LanguageText(IDS_SETUP_CAPTION));
    ASSERT_TRUE(probe_.WaitForExit());
    EXPECT_EQ(probe_.ExitCode(), DWORD(IDOK));
    EXPECT_EQ(Answer().rfind("OK\r\n", 0), 0u) << Answer();
}

TEST_F(ProbeTest, PressingCancelIsWhatTheProgramSees) {
    StartStatusProbe();
    AnswerMessageBox(probe_, IDCANCEL);
    ASSERT_TRUE(probe_.WaitForExit());
    EXPECT_EQ(probe_.ExitCode(), DWORD(IDCANCEL));
    EXPECT_EQ(Answer().rfind("Cancel\r\n", 0), 0u) << Answer();
}

TEST_F(ProbeTest, ClosingTheQuestionCountsAsCancel) {
    StartStatusProbe();
    const MessageBoxInfo box = WaitForMessageBox(probe_);
    ASSERT_TRUE(box);
    PostClose(box.window);
    ASSERT_TRUE(probe_.WaitForExit());
    EXPECT_EQ(probe_.ExitCode(), DWORD(IDCANCEL));
}

TEST_F(ProbeTest, ProgramGetsItsWorkingFolderAndEnvironment) {
    TempFolder work;
    SetEnvironmentVariableA("TARN_PROBE_NOTE", "inherited");
    StartStatusProbe(
        LaunchOptions().WorkingDirectory(work.Path()).SetEnvironment("TARN_PROBE_NOTE", "given"));
    AnswerMessageBox(probe_, IDOK);
    ASSERT_TRUE(probe_.WaitForExit());
    EXPECT_NE(Answer().find("cwd=" + work.Path() + "\r\n"), std::string::npos) << Answer();
    EXPECT_NE(Answer().find("note=given\r\n"), std::string::npos) << Answer();

    StartStatusProbe(LaunchOptions().RemoveEnvironment("TARN_PROBE_NOTE"));
    AnswerMessageBox(probe_, IDOK);
    ASSERT_TRUE(probe_.WaitForExit());
    SetEnvironmentVariableA("TARN_PROBE_NOTE", nullptr);
    EXPECT_NE(Answer().find("note unset\r\n"), std::string::npos) << Answer();
}

TEST_F(ProbeTest, ProgramStillRunningIsKilledWhenItsProcessObjectGoes) {
    StartStatusProbe();
    ASSERT_TRUE(WaitForMessageBox(probe_));
    HANDLE watched = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), probe_.NativeHandle(), GetCurrentProcess(),
                                &watched, SYNCHRONIZE, FALSE, 0));
    EXPECT_FALSE(probe_.WaitForExit(100));
    probe_ = Process();
    EXPECT_EQ(WaitForSingleObject(watched, 5000), WAIT_OBJECT_0);
    CloseHandle(watched);
    EXPECT_FALSE(FileExists(answer_));
}

TEST_F(ProbeTest, WaitingForAWindowThatNeverComesNamesTheWindowsSeen) {
    StartStatusProbe();
    ASSERT_TRUE(WaitForMessageBox(probe_));
    EXPECT_NONFATAL_FAILURE(WaitForWindow(probe_, Titled("No such window"), 200),
                            "expected a window titled \"No such window\", saw: [");
    EXPECT_NONFATAL_FAILURE(WaitForWindow(probe_, Titled("No such window"), 200),
                            "\"Voxtarion\" (#32770)");
}

TEST_F(ProbeTest, WaitingForAWindowStopsWhenTheProgramEnds) {
    StartStatusProbe();
    AnswerMessageBox(probe_, IDOK);
    const ULONGLONG start = GetTickCount64();
    EXPECT_NONFATAL_FAILURE(WaitForWindow(probe_, Titled("After the end"), 8000),
                            "before the program ended");
    EXPECT_LT(GetTickCount64() - start, 5000u);
}

TEST_F(ProbeTest, AWindowBeforeTheEndFailsTheSilentCheck) {
    StartStatusProbe();
    ASSERT_TRUE(WaitForMessageBox(probe_));
    EXPECT_NONFATAL_FAILURE(ExpectNoWindowUntilExit(probe_, 300), "expected no window, saw: [");
}

TEST_F(ProbeTest, OnlyWindowCheckNamesTheOtherWindow) {
    StartStatusProbe();
    const MessageBoxInfo box = WaitForMessageBox(probe_);
    ASSERT_TRUE(box);
    EXPECT_NONFATAL_FAILURE(ExpectOnlyWindow(probe_, box.window), "saw also: [\"Voxtarion\"");
}

TEST(BlockedProgram, WindowsAndTextsAreReadWhileItHandlesNoMessages) {
    TempFolder folder;
    Process probe;
    ASSERT_TRUE(probe.Start(BinFile("tarn_probe.exe"),
                            LaunchOptions().Arguments("blocked \"" + folder.File("a.txt") + "\"")));
    ASSERT_TRUE(PollUntil([&] { return FileExists(folder.File("a.txt")); }, kWindowTimeoutMs));

    const ULONGLONG start = GetTickCount64();
    const HWND status = WaitForWindow(probe, DialogTitled("Voxtarion"));
    ASSERT_TRUE(status);
    EXPECT_TRUE(WaitForItemText(status, IDC_STATUS_TEXT, LanguageText(IDS_STATUS_SEARCHING)));
    EXPECT_EQ(DescribeWindows(VisibleWindowsOf(probe.Id())), "[\"Voxtarion\" (#32770)]");
    EXPECT_LT(GetTickCount64() - start, 2000u);
    EXPECT_TRUE(probe.IsRunning());
}

TEST(Process, ProgramThatCannotBeStartedFailsTheTest) {
    Process missing;
    bool started = true;
    EXPECT_NONFATAL_FAILURE(started = missing.Start(BinFile("no_such_program.exe")),
                            "could not start");
    EXPECT_FALSE(started);
    EXPECT_FALSE(missing.ExitCode().has_value());
}

} // namespace
