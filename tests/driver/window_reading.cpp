#include "window_reading.h"

#include "timing.h"

#include <commctrl.h>

namespace driver {

namespace {

// One message to a window of another process; std::nullopt when it does not answer in time.
std::optional<LRESULT> SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!window || !SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG,
                                        kMessageTimeoutMs, &result))
        return std::nullopt;
    return static_cast<LRESULT>(result);
}

BOOL CALLBACK CollectButton(HWND child, LPARAM lParam) {
    auto* buttons = reinterpret_cast<std::vector<ButtonInfo>*>(lParam);
    if (WindowClass(child) == "Button")
        buttons->push_back(ButtonInfo{child, GetDlgCtrlID(child), WindowText(child)});
    return TRUE;
}

} // namespace

std::string WindowText(HWND window) {
    char text[1024] = "";
    const int length = GetWindowTextA(window, text, sizeof text);
    return std::string(text, length > 0 ? length : 0);
}

std::string WindowClass(HWND window) {
    char name[256] = "";
    const int length = GetClassNameA(window, name, sizeof name);
    return std::string(name, length > 0 ? length : 0);
}

HWND Item(HWND dialog, int id) {
    return GetDlgItem(dialog, id);
}

std::string ItemText(HWND dialog, int id) {
    const HWND item = Item(dialog, id);
    return item ? WindowText(item) : std::string();
}

std::optional<std::string> EditText(HWND dialog, int id) {
    const HWND edit = Item(dialog, id);
    const std::optional<LRESULT> length = SendWithTimeout(edit, WM_GETTEXTLENGTH, 0, 0);
    if (!length)
        return std::nullopt;
    std::string text(static_cast<size_t>(*length) + 1, '\0');
    const std::optional<LRESULT> copied =
        SendWithTimeout(edit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    if (!copied)
        return std::nullopt;
    text.resize(static_cast<size_t>(*copied));
    return text;
}

std::optional<int> CheckState(HWND dialog, int id) {
    const std::optional<LRESULT> state = SendWithTimeout(Item(dialog, id), BM_GETCHECK, 0, 0);
    if (!state)
        return std::nullopt;
    return static_cast<int>(*state);
}

std::optional<ProgressState> ReadProgress(HWND bar) {
    // PBM_GETRANGE answers the low bound for TRUE and the high bound for FALSE; the PBRANGE
    // pointer stays null, since it would not be valid in the other process.
    const auto position = SendWithTimeout(bar, PBM_GETPOS, 0, 0);
    const auto low = SendWithTimeout(bar, PBM_GETRANGE, TRUE, 0);
    const auto high = SendWithTimeout(bar, PBM_GETRANGE, FALSE, 0);
    if (!position || !low || !high)
        return std::nullopt;
    return ProgressState{static_cast<int>(*position), static_cast<int>(*low),
                         static_cast<int>(*high)};
}

std::vector<ButtonInfo> Buttons(HWND window) {
    std::vector<ButtonInfo> buttons;
    EnumChildWindows(window, CollectButton, reinterpret_cast<LPARAM>(&buttons));
    return buttons;
}

LONG_PTR Style(HWND window) {
    return GetWindowLongPtrA(window, GWL_STYLE);
}
LONG_PTR ExStyle(HWND window) {
    return GetWindowLongPtrA(window, GWL_EXSTYLE);
}
bool IsTopmost(HWND window) {
    return (ExStyle(window) & WS_EX_TOPMOST) != 0;
}
HWND Owner(HWND window) {
    return GetWindow(window, GW_OWNER);
}

} // namespace driver
