// The driver answering the open-file dialog, proven on tarn_probe.
#include "file_dialog.h"
#include "process.h"
#include "temp_folder.h"
#include "win_path.h"

#include <windows.h>

#include <gtest/gtest.h>
#include <gtest/gtest-spi.h>

namespace {

using namespace driver;

class FileDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(WriteTextFile(folder_.File("a.nsf"), "a"));
        ASSERT_TRUE(WriteTextFile(folder_.File("b.nsf"), "b"));
    }
    // Starts the probe's open-file dialog on the folder that holds a.nsf and b.nsf.
    FileDialog OpenDialog(const std::string& mode) {
        if (!probe_.Start(BinFile("tarn_probe.exe"),
                          LaunchOptions().Arguments(mode + " \"" + answer_ + "\"")))
            return FileDialog();
        return FileDialog::WaitFor(probe_, "Probe Open");
    }
    // The probe's answer once it has ended: button, then the selection.
    std::string Answer() {
        EXPECT_TRUE(probe_.WaitForExit());
        return ReadTextFile(answer_).substr(0, ReadTextFile(answer_).find("\r\ncwd="));
    }

    TempFolder folder_;
    std::string answer_ = folder_.File("answer.txt");
    Process probe_;
};

TEST_F(FileDialogTest, TypedNameIsOpenedFromTheDialogsFolder) {
    FileDialog dialog = OpenDialog("open");
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog.Title(), "Probe Open");
    ASSERT_TRUE(dialog.TypeFileName("a.nsf"));
    EXPECT_EQ(dialog.FileName(), "a.nsf");
    ASSERT_TRUE(dialog.PressOpen());
    EXPECT_TRUE(dialog.WaitUntilClosed());
    EXPECT_EQ(Answer(), "OK\r\n" + folder_.File("a.nsf"));
}

TEST_F(FileDialogTest, SeveralTypedNamesComeBackInTypedOrder) {
    FileDialog dialog = OpenDialog("open-multi");
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(dialog.TypeFileNames({"b.nsf", "a.nsf"}));
    EXPECT_EQ(dialog.FileName(), "\"b.nsf\" \"a.nsf\"");
    ASSERT_TRUE(dialog.PressOpen());
    EXPECT_EQ(Answer(), "OK\r\n" + folder_.Path() + "|b.nsf|a.nsf");
}

TEST_F(FileDialogTest, CancelLeavesTheProgramWithoutASelection) {
    FileDialog dialog = OpenDialog("open");
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(dialog.TypeFileName("a.nsf"));
    ASSERT_TRUE(dialog.Cancel());
    EXPECT_EQ(Answer(), "Cancel");
}

TEST_F(FileDialogTest, DialogWithAnotherTitleIsNotTakenForIt) {
    ASSERT_TRUE(probe_.Start(BinFile("tarn_probe.exe"),
                             LaunchOptions().Arguments("open \"" + answer_ + "\"")));
    ASSERT_TRUE(FileDialog::WaitFor(probe_, "Probe Open"));
    FileDialog other;
    EXPECT_NONFATAL_FAILURE(other = FileDialog::WaitFor(probe_, "Locate nnotes.dll", 200),
                            "expected an open-file dialog titled \"Locate nnotes.dll\"");
    EXPECT_FALSE(other);
}

} // namespace
