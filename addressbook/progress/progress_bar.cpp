#include "progress_bar.h"

#include "bar_fill.h"

#include <commctrl.h>
#include <uxtheme.h>
#include <vssym32.h>

namespace {

// Keeps a window from painting while it lives; it paints again afterwards, but nothing is
// redrawn by that alone.
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

// The length the bar fills when full: its client area, or on a themed bar the content area
// of the theme's bar part.
int FillWidth(HWND bar) {
    RECT area = {};
    GetClientRect(bar, &area);
    const bool vertical = (GetWindowLongA(bar, GWL_STYLE) & PBS_VERTICAL) != 0;
    if (const HTHEME theme = GetWindowTheme(bar)) {
        const HDC dc = GetDC(bar);
        RECT content = area;
        if (SUCCEEDED(GetThemeBackgroundContentRect(theme, dc, vertical ? PP_BARVERT : PP_BAR, 0,
                                                    &area, &content)))
            area = content;
        ReleaseDC(bar, dc);
    }
    return vertical ? area.bottom - area.top : area.right - area.left;
}

bool IsPositionMessage(UINT message) {
    return message == PBM_SETPOS || message == PBM_DELTAPOS || message == PBM_STEPIT ||
           message == PBM_SETRANGE || message == PBM_SETRANGE32;
}

} // namespace

ProgressBar::~ProgressBar() {
    Detach();
}

// The bar's messages come to BarProc first, which finds this object in the control's user
// data. Replacing the window procedure, rather than the common controls' subclass chain, is
// for the cost of a paint: that chain looks itself up in a window property, a round trip to
// the window server on some platforms, twice for every message the control receives.
void ProgressBar::Attach(HWND item) {
    if (!item || hwnd_ || GetWindowLongPtrW(item, GWLP_USERDATA) != 0)
        return;
    SetWindowLongPtrW(item, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    controlProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(item, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BarProc)));
    if (!controlProc_) {
        SetWindowLongPtrW(item, GWLP_USERDATA, 0);
        return;
    }
    hwnd_ = item;
    step_ = 10; // the control's own default
    ReadState();
}

void ProgressBar::SetRange(int lower, int upper) {
    if (!hwnd_)
        return;
    Send(PBM_SETPOS, static_cast<WPARAM>(position_));
    Send(PBM_SETRANGE32, static_cast<WPARAM>(lower), static_cast<LPARAM>(upper));
    ReadState();
    PaintNow();
}

int ProgressBar::SetStep(int step) {
    if (!hwnd_)
        return 0;
    step_ = step;
    return static_cast<int>(Send(PBM_SETSTEP, static_cast<WPARAM>(step)));
}

int ProgressBar::StepIt() {
    if (!hwnd_)
        return 0;
    const int previous = position_;
    const long long next = static_cast<long long>(position_) + step_;
    if (next < lower_ || next > upper_) {
        // Past an end the control starts over: it steps by itself from the exact position.
        TakeOver(PBM_STEPIT, 0, 0);
        PaintNow();
        return previous;
    }
    position_ = static_cast<int>(next);
    // Most steps of a long download change no pixel: those leave the control alone, as
    // some controls paint inside every position message by themselves.
    // The top is always drawn: a control that rounds down fills its last pixel only there.
    if (BarDrawingChanges(previous, position_, lower_, upper_, fillWidth_) || position_ == upper_)
        Show(position_);
    return previous;
}

// Gives the control its own window procedure back, where nobody replaced ours meanwhile; else
// ours stays in the chain and, finding no object, passes every message on to the control.
void ProgressBar::Detach() {
    if (!hwnd_)
        return;
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    if (GetWindowLongPtrW(hwnd_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(BarProc))
        SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(controlProc_));
    hwnd_ = nullptr;
}

LRESULT CALLBACK ProgressBar::BarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* const progress = reinterpret_cast<ProgressBar*>(GetWindowLongPtrW(bar, GWLP_USERDATA));
    if (!progress) {
        const auto control = reinterpret_cast<WNDPROC>(GetClassLongPtrW(bar, GCLP_WNDPROC));
        return CallWindowProcW(control, bar, message, wParam, lParam);
    }
    if (!progress->sending_) {
        if (message == PBM_GETPOS)
            return progress->position_;
        if (IsPositionMessage(message))
            return progress->TakeOver(message, wParam, lParam);
    }
    const WNDPROC control = progress->controlProc_;
    if (message == WM_NCDESTROY)
        progress->Detach();
    return CallWindowProcW(control, bar, message, wParam, lParam);
}

LRESULT ProgressBar::Send(UINT message, WPARAM wParam, LPARAM lParam) {
    const bool outer = sending_;
    sending_ = true;
    const LRESULT result = SendMessageA(hwnd_, message, wParam, lParam);
    sending_ = outer;
    return result;
}

// A position message for the control itself: it acts on the exact position, which then
// follows its answer. The result is the control's, but a previous position is the exact one.
LRESULT ProgressBar::TakeOver(UINT message, WPARAM wParam, LPARAM lParam) {
    const int previous = position_;
    Send(PBM_SETPOS, static_cast<WPARAM>(position_));
    const LRESULT result = Send(message, wParam, lParam);
    ReadState();
    return message == PBM_SETPOS || message == PBM_DELTAPOS || message == PBM_STEPIT ? previous
                                                                                     : result;
}

void ProgressBar::ReadState() {
    PBRANGE range = {};
    Send(PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    lower_ = range.iLow;
    upper_ = range.iHigh;
    position_ = static_cast<int>(Send(PBM_GETPOS));
    fillWidth_ = FillWidth(hwnd_);
    themed_ = GetWindowTheme(hwnd_) != nullptr;
}

// A themed bar is moved with its painting held back and then painted whole; any other bar
// paints the strip that changes by itself, and what it may have left is painted at once.
void ProgressBar::Show(int position) {
    const std::vector<BarMove> moves = MovesToShow(position, lower_, upper_, themed_);
    const auto send = [this](const BarMove& move) {
        if (move.kind == BarMove::Position)
            Send(PBM_SETPOS, static_cast<WPARAM>(move.first));
        else
            Send(PBM_SETRANGE32, static_cast<WPARAM>(move.first), static_cast<LPARAM>(move.second));
    };
    if (!themed_) {
        for (const BarMove& move : moves)
            send(move);
        RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW);
        return;
    }
    {
        const RedrawSuspended quiet(hwnd_);
        for (const BarMove& move : moves)
            send(move);
    }
    PaintNow();
}

void ProgressBar::PaintNow() {
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}
