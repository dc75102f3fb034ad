#include "message_box.h"

#include "window_actions.h"
#include "window_finder.h"

#include <gtest/gtest.h>

namespace driver {

namespace {

// The static control that holds a message box's text.
constexpr int kMessageBoxTextId = 0xFFFF;

BOOL CALLBACK FindIconStatic(HWND child, LPARAM lParam) {
    if (WindowClass(child) == "Static" && (Style(child) & SS_TYPEMASK) == SS_ICON) {
        *reinterpret_cast<bool*>(lParam) = true;
        return FALSE;
    }
    return TRUE;
}

} // namespace

std::vector<std::string> MessageBoxInfo::ButtonTexts() const {
    std::vector<std::string> texts;
    for (const ButtonInfo& button : buttons)
        texts.push_back(button.text);
    return texts;
}

std::vector<int> MessageBoxInfo::ButtonIds() const {
    std::vector<int> ids;
    for (const ButtonInfo& button : buttons)
        ids.push_back(button.id);
    return ids;
}

// A message box is a dialog with its text in static 0xFFFF and an icon static, shown or not.
// Dialogs of templates have statics 0xFFFF too (IDC_STATIC), but no icon.
bool IsMessageBox(HWND window) {
    if (WindowClass(window) != "#32770")
        return false;
    const HWND text = GetDlgItem(window, kMessageBoxTextId);
    if (!text || WindowClass(text) != "Static")
        return false;
    bool hasIcon = false;
    EnumChildWindows(window, FindIconStatic, reinterpret_cast<LPARAM>(&hasIcon));
    return hasIcon;
}

MessageBoxInfo ReadMessageBox(HWND box) {
    MessageBoxInfo info;
    info.window = box;
    info.caption = WindowText(box);
    info.text = ItemText(box, kMessageBoxTextId);
    for (const ButtonInfo& button : Buttons(box)) {
        if (IsWindowVisible(button.window))
            info.buttons.push_back(button);
    }
    info.topmost = IsTopmost(box);
    info.owner = Owner(box);
    return info;
}

MessageBoxInfo WaitForMessageBox(const Process& process, const std::optional<std::string>& caption,
                                 DWORD timeoutMs) {
    WindowMatch match;
    match.caption = caption;
    match.test = IsMessageBox;
    match.kind = "a message box";
    const HWND box = WaitForWindow(process, match, timeoutMs);
    return box ? ReadMessageBox(box) : MessageBoxInfo();
}

MessageBoxInfo AnswerMessageBox(const Process& process, int id,
                                const std::optional<std::string>& caption, DWORD timeoutMs) {
    MessageBoxInfo info = WaitForMessageBox(process, caption, timeoutMs);
    if (!info)
        return info;
    EXPECT_TRUE(PressButton(info.window, id)) << "could not press button " << id;
    EXPECT_TRUE(WaitForWindowGone(info.window, timeoutMs))
        << "the message box \"" << info.caption << "\" stayed after button " << id;
    return info;
}

} // namespace driver
