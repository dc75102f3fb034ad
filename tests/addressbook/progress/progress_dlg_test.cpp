// The progress window of the download, in the test's own process.
#include "progress/progress_dlg.h"

#include "progress/bar_fill.h"
#include "resource_ids.h"
#include "resource_text.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The position messages a bar receives, recorded by a subclass of the bar.
struct BarMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const BarMessage& other) const {
        return message == other.message && wParam == other.wParam && lParam == other.lParam;
    }
};

std::vector<BarMessage> g_barMessages;
WNDPROC g_barProc = nullptr;

LRESULT CALLBACK RecordingBarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == PBM_SETPOS || message == PBM_STEPIT || message == PBM_DELTAPOS ||
        message == PBM_SETRANGE32)
        g_barMessages.push_back({message, wParam, lParam});
    return CallWindowProcA(g_barProc, bar, message, wParam, lParam);
}

// The bar's pixels as its window shows them.
std::vector<DWORD> BarPixels(HWND bar) {
    RECT area = {};
    GetClientRect(bar, &area);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = area.right;
    info.bmiHeader.biHeight = -area.bottom; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> pixels(static_cast<std::size_t>(area.right * area.bottom));
    const HDC screen = GetDC(bar);
    const HDC copy = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, area.right, area.bottom);
    const HGDIOBJ old = SelectObject(copy, bitmap);
    BitBlt(copy, 0, 0, area.right, area.bottom, screen, 0, 0, SRCCOPY);
    SelectObject(copy, old);
    GetDIBits(copy, bitmap, 0, area.bottom, pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(copy);
    ReleaseDC(bar, screen);
    return pixels;
}

// The middle row of the bar's pixels.
std::vector<DWORD> MiddleRow(HWND bar) {
    RECT area = {};
    GetClientRect(bar, &area);
    const std::vector<DWORD> pixels = BarPixels(bar);
    const auto row = pixels.begin() + area.bottom / 2 * area.right;
    return std::vector<DWORD>(row, row + area.right);
}

// The column after the last one of a row that shows the filling's colour.
int FilledTo(const std::vector<DWORD>& row, DWORD filling) {
    int end = 0;
    for (std::size_t x = 0; x < row.size(); ++x)
        end = row[x] == filling ? static_cast<int>(x) + 1 : end;
    return end;
}

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
    // The bar once the shown window shows it, pumping this thread's messages meanwhile: under
    // load that can take a moment. nullptr when it did not within 5 seconds.
    static HWND WaitForVisibleBar(const CProgressDlg& dialog) {
        const ULONGLONG start = GetTickCount64();
        for (;;) {
            const HWND bar = Bar(dialog);
            if (bar && IsWindowVisible(bar))
                return bar;
            if (GetTickCount64() - start > 5000)
                return nullptr;
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&message);
            Sleep(10);
        }
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
    ASSERT_NE(WaitForVisibleBar(dialog), nullptr)
        << "the progress window showed no bar within 5 seconds (window " << dialog.GetSafeHwnd()
        << ")";
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

// A plain bar of the same size and style, in a window of its own at the screen's corner, set
// to a position and painted whole: what the bar must show at that position.
class ReferenceBar {
  public:
    explicit ReferenceBar(HWND model) {
        RECT outer = {};
        GetWindowRect(model, &outer);
        window_ =
            CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, outer.right - outer.left,
                            outer.bottom - outer.top, nullptr, nullptr, nullptr, nullptr);
        bar_ = CreateWindowExA(
            0, PROGRESS_CLASSA, "", static_cast<DWORD>(GetWindowLongA(model, GWL_STYLE)), 0, 0,
            outer.right - outer.left, outer.bottom - outer.top, window_, nullptr, nullptr, nullptr);
    }
    ~ReferenceBar() { DestroyWindow(window_); }
    ReferenceBar(const ReferenceBar&) = delete;
    ReferenceBar& operator=(const ReferenceBar&) = delete;
    // A themed bar is moved one past the position and back, so that it does not animate.
    std::vector<DWORD> PixelsAt(int position, int upper) {
        SendMessageA(bar_, PBM_SETRANGE32, 0, upper);
        for (const BarMove& move :
             MovesToShow(position, 0, upper, GetWindowTheme(bar_) != nullptr)) {
            if (move.kind == BarMove::Position)
                SendMessageA(bar_, PBM_SETPOS, static_cast<WPARAM>(move.first), 0);
            else
                SendMessageA(bar_, PBM_SETRANGE32, static_cast<WPARAM>(move.first), move.second);
        }
        RedrawWindow(bar_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        return BarPixels(bar_);
    }

  private:
    HWND window_ = nullptr;
    HWND bar_ = nullptr;
};

TEST_F(ProgressWindow, EveryStepIsOnScreenAtOnceAndTheBarKeepsTheExactPosition) {
    CProgressDlg dialog(nullptr);
    dialog.ShowWindow(SW_SHOW);
    const HWND bar = Bar(dialog);
    RECT area = {};
    GetClientRect(bar, &area);
    const int entries = 3 * area.right; // most steps move the filling by no pixel
    dialog.SetRange(0, entries);
    dialog.SetStep(1);
    ReferenceBar reference(bar);
    const bool themed = GetWindowTheme(bar) != nullptr;
    g_barProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingBarProc)));

    int drawn = 0;
    for (int entry = 1; entry <= entries; ++entry) {
        g_barMessages.clear();
        EXPECT_EQ(dialog.StepIt(), entry - 1);
        ASSERT_EQ(Position(dialog), entry);
        // Nothing for the control, or the position; a themed bar, which animates an advance,
        // goes one past the position and back, at the top within a range one wider.
        std::vector<BarMessage> moved = {{PBM_SETPOS, WPARAM(entry), 0}};
        if (themed && entry < entries)
            moved = {{PBM_SETPOS, WPARAM(entry + 1), 0}, moved[0]};
        else if (themed)
            moved = {{PBM_SETRANGE32, 0, entries + 1},
                     {PBM_SETPOS, WPARAM(entry + 1), 0},
                     moved[0],
                     {PBM_SETRANGE32, 0, entries}};
        ASSERT_TRUE(g_barMessages.empty() || g_barMessages == moved) << "step " << entry;
        drawn += g_barMessages.empty() ? 0 : 1;
        ASSERT_TRUE(BarPixels(bar) == reference.PixelsAt(entry, entries))
            << "the bar does not show step " << entry;
    }
    SetWindowLongPtrA(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_barProc));
    const std::vector<DWORD> full = MiddleRow(bar);
    EXPECT_NEAR(FilledTo(full, full[full.size() / 2]), area.right, area.bottom)
        << "not full at the end";
    EXPECT_LE(drawn, area.right + 1) << "steps that changed no pixel were drawn";
    EXPECT_GE(drawn, area.right / 2);
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
