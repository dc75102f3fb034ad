// The driver reading and filling in dialogs of templates, proven on tarn_probe: the progress
// window, the settings dialog with its edit fields and the option dialog with its radio buttons.
#include "process.h"
#include "temp_folder.h"
#include "win_path.h"
#include "window_actions.h"
#include "window_finder.h"
#include "window_reading.h"

#include "resource_ids.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

using namespace driver;

class DialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(probe_.Start(BinFile("tarn_probe.exe"),
                                 LaunchOptions().Arguments("settings \"" + answer_ + "\"")));
    }
    // The probe's answer once it has ended, without the working folder and note lines.
    std::string Answer() {
        EXPECT_TRUE(probe_.WaitForExit());
        const std::string answer = ReadTextFile(answer_);
        return answer.substr(0, answer.find("\r\ncwd="));
    }

    TempFolder folder_;
    std::string answer_ = folder_.File("answer.txt");
    Process probe_;
};

TEST_F(DialogTest, ProgressBarShowsItsPositionAndRange) {
    const HWND progress = WaitForWindow(probe_, DialogTitled("Address Book Download"));
    ASSERT_TRUE(progress);
    EXPECT_EQ(ItemText(progress, IDC_PROGRESS_TEXT),
              "Writing the directory entries into the Notes address book...");
    const auto state = ReadProgress(Item(progress, IDC_PROGRESS_BAR));
    ASSERT_TRUE(state.has_value());
    EXPECT_EQ(state->position, 7);
    EXPECT_EQ(state->low, 0);
    EXPECT_EQ(state->high, 40);
}

TEST_F(DialogTest, EditFieldsAreReadAndTypedInto) {
    const HWND settings = WaitForWindow(probe_, DialogTitled("Voxtarion Directory Settings"));
    ASSERT_TRUE(settings);
    EXPECT_EQ(EditText(settings, IDC_HOST_NAME), "ldap.example.com");
    EXPECT_EQ(EditText(settings, IDC_SEARCH_BASE), "o=Example");
    ASSERT_TRUE(SetEditText(settings, IDC_HOST_NAME, "directory.test"));
    ASSERT_TRUE(SetEditText(settings, IDC_SEARCH_BASE, ""));
    EXPECT_EQ(EditText(settings, IDC_HOST_NAME), "directory.test");
    ASSERT_TRUE(PressButton(settings, IDOK));

    const HWND option = WaitForWindow(probe_, DialogTitled("Voxtarion Server Install"));
    ASSERT_TRUE(option);
    ASSERT_TRUE(PressButton(option, IDOK));
    EXPECT_EQ(Answer(), "OK\r\nhost=directory.test\r\nbase=\r\noption=first");
}

TEST_F(DialogTest, RadioButtonChosenIsTheOneTheProgramReads) {
    const HWND settings = WaitForWindow(probe_, DialogTitled("Voxtarion Directory Settings"));
    ASSERT_TRUE(settings);
    ASSERT_TRUE(PressButton(settings, IDOK));
    const HWND option = WaitForWindow(probe_, DialogTitled("Voxtarion Server Install"));
    ASSERT_TRUE(option);
    EXPECT_EQ(CheckState(option, IDC_OPTION_FIRST), BST_CHECKED);
    EXPECT_EQ(CheckState(option, IDC_OPTION_SECOND), BST_UNCHECKED);

    ASSERT_TRUE(SelectRadio(option, IDC_OPTION_SECOND, {IDC_OPTION_FIRST, IDC_OPTION_SECOND}));
    EXPECT_EQ(CheckState(option, IDC_OPTION_FIRST), BST_UNCHECKED);
    EXPECT_EQ(CheckState(option, IDC_OPTION_SECOND), BST_CHECKED);
    ASSERT_TRUE(ClickButton(Item(option, IDOK)));
    EXPECT_EQ(Answer(), "OK\r\nhost=ldap.example.com\r\nbase=o=Example\r\noption=second");
}

TEST_F(DialogTest, ClickedCancelButtonEndsTheDialogWithCancel) {
    const HWND settings = WaitForWindow(probe_, DialogTitled("Voxtarion Directory Settings"));
    ASSERT_TRUE(settings);
    const std::vector<ButtonInfo> buttons = Buttons(settings);
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_EQ(buttons[1].id, IDCANCEL);
    EXPECT_EQ(buttons[1].text, "Cancel");
    ASSERT_TRUE(ClickButton(buttons[1].window));
    EXPECT_EQ(Answer(), "Cancel");
    EXPECT_EQ(probe_.ExitCode(), DWORD(IDCANCEL));
}

} // namespace
