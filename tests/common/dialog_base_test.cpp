#include "dialog_base.h"
#include "resource_ids.h"
#include "resource_text.h"
#include "status_dlg.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string ItemText(HWND dialog, int id) {
    char text[512] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

POINT Centre(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

class ResourceLibrary : public ::testing::Test {
  protected:
    void Use(const char* name) {
        library_ = LoadLibraryA(name);
        ASSERT_NE(library_, nullptr) << name;
        SetResourceModule(library_);
    }
    void SetUp() override { Use("tarnlang.dll"); }
    void TearDown() override {
        SetResourceModule(nullptr);
        if (library_)
            FreeLibrary(library_);
    }
    HMODULE library_ = nullptr;
};

using StatusWindow = ResourceLibrary;

TEST_F(StatusWindow, ShowsItsTextInItem785AsSoonAsItIsBuilt) {
    CStatusDlg status(IDS_STATUS_SEARCHING, nullptr, CStatusDlg::Placement::OverOwner);
    const HWND window = status.GetSafeHwnd();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(ItemText(window, IDC_STATUS_TEXT), LoadResourceText(IDS_STATUS_SEARCHING));
    EXPECT_FALSE(LoadResourceText(IDS_STATUS_SEARCHING).empty());
}

TEST_F(StatusWindow, EachNewTextIsInPlaceWithoutAMessageLoop) {
    CStatusDlg status(IDS_STATUS_FIRST, nullptr, CStatusDlg::Placement::Desktop);
    for (const char* text : {"first", "second", "third"}) {
        status.SetStatusText(text);
        EXPECT_EQ(ItemText(status.GetSafeHwnd(), IDC_STATUS_TEXT), text);
        // Nothing is left for a paint request: the window was painted at once.
        EXPECT_FALSE(GetUpdateRect(status.GetSafeHwnd(), nullptr, FALSE));
    }
    status.SetStatusText(IDS_STATUS_INSTALLING);
    EXPECT_EQ(ItemText(status.GetSafeHwnd(), IDC_STATUS_TEXT),
              LoadResourceText(IDS_STATUS_INSTALLING));
}

TEST_F(StatusWindow, WithoutAVisibleOwnerItIsCentredOnTheWorkArea) {
    CStatusDlg status(IDS_STATUS_CONNECTING, nullptr, CStatusDlg::Placement::OverOwner);
    RECT area;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    const POINT centre = Centre(status.GetSafeHwnd());
    EXPECT_NEAR(centre.x, (area.left + area.right) / 2, 2);
    EXPECT_NEAR(centre.y, (area.top + area.bottom) / 2, 2);
    EXPECT_EQ(GetWindow(status.GetSafeHwnd(), GW_OWNER), nullptr);
}

TEST_F(StatusWindow, TheDownloadWindowIsOwnedAndCentredOverAVisibleOwner) {
    HWND owner = CreateWindowA("STATIC", "owner", WS_POPUP | WS_VISIBLE, 100, 120, 400, 300,
                               nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    {
        CStatusDlg status(IDS_STATUS_CONNECTING, owner, CStatusDlg::Placement::OverOwner);
        EXPECT_EQ(GetWindow(status.GetSafeHwnd(), GW_OWNER), owner);
        const POINT centre = Centre(status.GetSafeHwnd());
        EXPECT_NEAR(centre.x, 300, 2);
        EXPECT_NEAR(centre.y, 270, 2);
    }
    DestroyWindow(owner);
}

TEST_F(StatusWindow, TheSetupWindowIgnoresItsOwnerAndSitsInTheMiddleOfTheScreen) {
    HWND owner = CreateWindowA("STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                               nullptr, nullptr, nullptr);
    {
        CStatusDlg status(IDS_STATUS_FIRST, owner, CStatusDlg::Placement::Desktop);
        ASSERT_NE(status.GetSafeHwnd(), nullptr);
        EXPECT_TRUE(IsWindowVisible(status.GetSafeHwnd()));
        EXPECT_EQ(GetWindow(status.GetSafeHwnd(), GW_OWNER), nullptr);
        RECT screen;
        GetWindowRect(GetDesktopWindow(), &screen);
        const POINT centre = Centre(status.GetSafeHwnd());
        EXPECT_NEAR(centre.x, (screen.left + screen.right) / 2, 2);
        EXPECT_NEAR(centre.y, (screen.top + screen.bottom) / 2, 2);
    }
    DestroyWindow(owner);
}

TEST_F(StatusWindow, ACallerMayDestroyItBeforeTheObjectGoes) {
    CStatusDlg status(IDS_STATUS_FIRST, nullptr, CStatusDlg::Placement::Desktop);
    const HWND window = status.GetSafeHwnd();
    status.DestroyWindow();
    EXPECT_FALSE(IsWindow(window));
    status.SetStatusText("after");
}

TEST_F(ResourceLibrary, WithoutTheTemplateNoWindowAppearsAndEveryCallDoesNothing) {
    TearDown();
    Use("tarnlang_nodialogs.dll");
    CStatusDlg status(IDS_STATUS_FIRST, nullptr, CStatusDlg::Placement::Desktop);
    EXPECT_EQ(status.GetSafeHwnd(), nullptr);
    status.SetStatusText("nothing happens");
    status.SetStatusText(IDS_STATUS_INSTALLING);
}

// A dialog with both kinds of exchange, on the option dialog's template.
class OptionDialog : public DialogBase {
  public:
    OptionDialog() : DialogBase(IDD_SERVER_OPTION, nullptr) {}
    int option = 0;

  protected:
    void DoDataExchange(DataExchange& dx) override { dx.RadioGroup(IDC_OPTION_FIRST, option); }
};

TEST_F(ResourceLibrary, ARadioGroupExchangesTheIndexOfItsCheckedButton) {
    OptionDialog dialog;
    dialog.option = 1;
    ASSERT_TRUE(dialog.CreateModeless());
    const HWND window = dialog.GetSafeHwnd();
    EXPECT_EQ(IsDlgButtonChecked(window, IDC_OPTION_FIRST), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(window, IDC_OPTION_SECOND), BST_CHECKED);

    CheckRadioButton(window, IDC_OPTION_FIRST, IDC_OPTION_SECOND, IDC_OPTION_FIRST);
    dialog.UpdateData(true);
    EXPECT_EQ(dialog.option, 0);
    CheckDlgButton(window, IDC_OPTION_FIRST, BST_UNCHECKED);
    dialog.UpdateData(true);
    EXPECT_EQ(dialog.option, -1);
}

class SettingsDialog : public DialogBase {
  public:
    SettingsDialog() : DialogBase(IDD_USER_INFO, nullptr) {}
    std::string host;

  protected:
    void DoDataExchange(DataExchange& dx) override { dx.Text(IDC_HOST_NAME, host); }
};

TEST_F(ResourceLibrary, TextExchangeMovesTheTextAsTyped) {
    SettingsDialog dialog;
    dialog.host = "  ldap.example  ";
    ASSERT_TRUE(dialog.CreateModeless());
    EXPECT_EQ(ItemText(dialog.GetSafeHwnd(), IDC_HOST_NAME), "  ldap.example  ");
    SetDlgItemTextA(dialog.GetSafeHwnd(), IDC_HOST_NAME, "");
    dialog.UpdateData(true);
    EXPECT_EQ(dialog.host, "");
}

} // namespace
