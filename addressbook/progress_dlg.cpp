#include "progress_dlg.h"

#include "bar_fill.h"
#include "resource_ids.h"

#include <commctrl.h>
#include <uxtheme.h>
#include <vssym32.h>

#include <climits>

namespace {

// Keeps a window from painting while it lives; the window paints again afterwards, but
// nothing is redrawn by that alone.
class RedrawSuspended {
  public:
    explicit RedrawSuspended(HWND hwnd) : hwnd_(hwnd) {
        SendMessageA(hwnd_, WM_SETREDRAW, FALSE, 0);
    }
    ~RedrawSuspended() { SendMessageA(hwnd_, WM_SETREDRAW, TRUE, 0); }
    RedrawSuspended(const RedrawSuspended&) = delete;
    RedrawSuspended& operator=(const RedrawSuspended&) = delete;

  private:
    HWND hwnd_;
};

void SetPosition(HWND bar, int position) {
    SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void SetBounds(HWND bar, int lower, int upper) {
    SendMessageA(bar, PBM_SETRANGE32, static_cast<WPARAM>(lower), static_cast<LPARAM>(upper));
}

} // namespace

void StaticText::SetText(const std::string& text) {
    if (hwnd_)
        SetWindowTextA(hwnd_, text.c_str());
}

void ProgressBar::Attach(HWND item) {
    hwnd_ = item;
    if (!hwnd_)
        return;
    PBRANGE range = {};
    SendMessageA(hwnd_, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    lower_ = range.iLow;
    upper_ = range.iHigh;
    MeasureFilling();
}

void ProgressBar::SetRange(int lower, int upper) {
    if (!hwnd_)
        return;
    SetBounds(hwnd_, lower, upper);
    lower_ = lower;
    upper_ = upper;
    MeasureFilling();
    PaintNow();
}

int ProgressBar::SetStep(int step) {
    if (!hwnd_)
        return 0;
    return static_cast<int>(SendMessageA(hwnd_, PBM_SETSTEP, static_cast<WPARAM>(step), 0));
}

int ProgressBar::StepIt() {
    if (!hwnd_)
        return 0;
    int previous = 0;
    bool changes = false;
    {
        // Some controls paint inside every step by themselves, though most steps of a long
        // download change no pixel.
        const RedrawSuspended quiet(hwnd_);
        previous = static_cast<int>(SendMessageA(hwnd_, PBM_STEPIT, 0, 0));
        const int position = static_cast<int>(SendMessageA(hwnd_, PBM_GETPOS, 0, 0));
        changes = BarDrawingChanges(previous, position, lower_, upper_, fillWidth_);
        if (changes)
            DrawAtOnce(position);
    }
    if (changes)
        PaintNow();
    return previous;
}

// The length the control fills when full: its client area, or on a themed bar the content
// area of the theme's bar part.
void ProgressBar::MeasureFilling() {
    RECT area = {};
    GetClientRect(hwnd_, &area);
    const bool vertical = (GetWindowLongA(hwnd_, GWL_STYLE) & PBS_VERTICAL) != 0;
    if (const HTHEME theme = GetWindowTheme(hwnd_)) {
        const HDC dc = GetDC(hwnd_);
        RECT content = area;
        if (SUCCEEDED(GetThemeBackgroundContentRect(theme, dc, vertical ? PP_BARVERT : PP_BAR, 0,
                                                    &area, &content)))
            area = content;
        ReleaseDC(hwnd_, dc);
    }
    fillWidth_ = vertical ? area.bottom - area.top : area.right - area.left;
}

// A themed bar animates an advance over time, on a timer that only a message loop would run,
// but draws a move back at once: so go one past the position and back, at the top of the
// range within a range one wider for the moment.
void ProgressBar::DrawAtOnce(int position) {
    if (position < upper_) {
        SetPosition(hwnd_, position + 1);
        SetPosition(hwnd_, position);
    } else if (upper_ < INT_MAX) {
        SetBounds(hwnd_, lower_, upper_ + 1);
        SetPosition(hwnd_, position + 1);
        SetPosition(hwnd_, position);
        SetBounds(hwnd_, lower_, upper_);
    }
}

void ProgressBar::PaintNow() {
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}
CProgressDlg::CProgressDlg(HWND owner) : DialogBase(IDD_PROGRESS, owner) {
    CreateModeless();
}

CProgressDlg::~CProgressDlg() {
    DestroyWindow();
}

void CProgressDlg::SetText(const std::string& text) {
    m_staticText.SetText(text);
    RepaintNow();
}

void CProgressDlg::SetRange(int lower, int upper) {
    m_progressBar.SetRange(lower, upper);
}

int CProgressDlg::SetStep(int step) {
    return m_progressBar.SetStep(step);
}

int CProgressDlg::StepIt() {
    return m_progressBar.StepIt();
}

BOOL CProgressDlg::OnInitDialog() {
    DialogBase::OnInitDialog();
    m_staticText.Attach(GetDlgItem(GetSafeHwnd(), IDC_PROGRESS_TEXT));
    m_progressBar.Attach(GetDlgItem(GetSafeHwnd(), IDC_PROGRESS_BAR));
    CenterWindow();
    return TRUE;
}
