#include "window_actions.h"

#include "timing.h"

namespace driver {

namespace {

bool SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    return window && SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG,
                                         kMessageTimeoutMs, &result) != 0;
}

} // namespace

bool PressButton(HWND dialog, int id) {
    const HWND button = GetDlgItem(dialog, id);
    return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(button)) != 0;
}

bool ClickButton(HWND button) {
    return button && PostMessageA(button, BM_CLICK, 0, 0) != 0;
}

bool SetEditText(HWND dialog, int id, const std::string& text) {
    return SendWithTimeout(GetDlgItem(dialog, id), WM_SETTEXT, 0,
                           reinterpret_cast<LPARAM>(text.c_str()));
}

bool SelectRadio(HWND dialog, int id, std::initializer_list<int> group) {
    bool ok = SendWithTimeout(GetDlgItem(dialog, id), BM_SETCHECK, BST_CHECKED, 0);
    for (int other : group) {
        if (other != id)
            ok = SendWithTimeout(GetDlgItem(dialog, other), BM_SETCHECK, BST_UNCHECKED, 0) && ok;
    }
    return ok;
}

bool PostClose(HWND window) {
    return window && PostMessageA(window, WM_CLOSE, 0, 0) != 0;
}

} // namespace driver
