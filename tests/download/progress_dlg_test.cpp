// The progress window of the download, in the test's own process.
#include "progress_dlg.h"

#include "resource_ids.h"
#include "resource_text.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

namespace {

class ProgressWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        Use("tarnlang.dll");
    }
    void TearDown() override {
        SetResourceModule(nullptr);
        if (library_)
            FreeLibrary(library_);
    }
    void Use(const char* name) {
        if (library_)
            FreeLibrary(library_);
        library_ = LoadLibraryA(name);
        ASSERT_NE(library_, nullptr) << name;
        SetResourceModule(library_);
    }
    static HWND Bar(const CProgressDlg& dialog) {
        return GetDlgItem(dialog.GetSafeHwnd(), IDC_PROGRESS_BAR);
    }
    static PBRANGE Range(const CProgressDlg& dialog) {
        PBRANGE range = {};
        SendMessageA(Bar(dialog), PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
        return range;
    }
    static int Position(const CProgressDlg& dialog) {
        return static_cast<int>(SendMessageA(Bar(dialog), PBM_GETPOS, 0, 0));
    }
    HMODULE library_ = nullptr;
};

TEST_F(ProgressWindow, ARangeBeyond65535IsKeptWhole) {
    CProgressDlg dialog(nullptr);
    ASSERT_NE(Bar(dialog), nullptr);
    dialog.SetRange(0, 70000);
    EXPECT_EQ(Range(dialog).iLow, 0);
    EXPECT_EQ(Range(dialog).iHigh, 70000);

    dialog.SetRange(65536, 140000);
    EXPECT_EQ(Range(dialog).iLow, 65536);
    EXPECT_EQ(Range(dialog).iHigh, 140000);
}

TEST_F(ProgressWindow, EachStepMovesTheBarByTheStep) {
    CProgressDlg dialog(nullptr);
    dialog.ShowWindow(SW_SHOW);
    dialog.SetRange(0, 70000);
    dialog.SetStep(1);
    for (int step = 1; step <= 3; ++step) {
        EXPECT_EQ(dialog.StepIt(), step - 1) << "the previous position";
        EXPECT_EQ(Position(dialog), step);
    }
    EXPECT_EQ(dialog.SetStep(1000), 1) << "the previous step";
    dialog.StepIt();
    EXPECT_EQ(Position(dialog), 1003);
}

TEST_F(ProgressWindow, ANewTextIsShownAndPaintedAtOnce) {
    CProgressDlg dialog(nullptr);
    dialog.ShowWindow(SW_SHOW);
    for (const char* text : {"first", "second"}) {
        dialog.SetText(text);
        char shown[256] = "";
        GetDlgItemTextA(dialog.GetSafeHwnd(), IDC_PROGRESS_TEXT, shown, sizeof shown);
        EXPECT_STREQ(shown, text);
        EXPECT_FALSE(GetUpdateRect(dialog.GetSafeHwnd(), nullptr, FALSE));
        EXPECT_FALSE(
            GetUpdateRect(GetDlgItem(dialog.GetSafeHwnd(), IDC_PROGRESS_TEXT), nullptr, FALSE));
    }
}

TEST_F(ProgressWindow, WithoutItsTemplateEveryOperationDoesNothing) {
    Use("tarnlang_nodialogs.dll");
    CProgressDlg dialog(nullptr);
    EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);
    dialog.SetText("text");
    dialog.SetRange(0, 10);
    EXPECT_EQ(dialog.SetStep(1), 0);
    EXPECT_EQ(dialog.StepIt(), 0);
}

} // namespace
