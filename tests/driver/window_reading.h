// Reading the windows of another process. Captions and static texts are read with
// GetWindowText, which sends no message to another process, so they can be read at any time,
// also while the program is blocked in a long call and handles no messages. Edit fields, check
// states and progress bars answer only a message (SendMessageTimeout). Under Wine 8 such a
// message to a program that handles none waits until it handles messages again, whatever the
// timeout: read them while the program waits in a dialog or message box.
#ifndef TARN_DRIVER_WINDOW_READING_H
#define TARN_DRIVER_WINDOW_READING_H

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace driver {

std::string WindowText(HWND window);  // caption, or the text of a static control
std::string WindowClass(HWND window); // e.g. "#32770", "Button", "Static"

// A dialog's item by id; nullptr when the dialog has none.
HWND Item(HWND dialog, int id);
// The text of a static item or a button, read with GetWindowText.
std::string ItemText(HWND dialog, int id);
// The text of an edit field (WM_GETTEXT); std::nullopt when the item is missing or the
// program does not answer.
std::optional<std::string> EditText(HWND dialog, int id);
// BST_CHECKED, BST_UNCHECKED or BST_INDETERMINATE of a check box or radio button.
std::optional<int> CheckState(HWND dialog, int id);

struct ProgressState {
    int position;
    int low;
    int high;
};
// Position and range of a progress bar control.
std::optional<ProgressState> ReadProgress(HWND bar);

struct ButtonInfo {
    HWND window;
    int id;
    std::string text;
};
// The push buttons, check boxes and radio buttons of a window, in tab order.
std::vector<ButtonInfo> Buttons(HWND window);

LONG_PTR Style(HWND window);
LONG_PTR ExStyle(HWND window);
bool IsTopmost(HWND window); // WS_EX_TOPMOST: system-modal message boxes carry it
HWND Owner(HWND window);     // GetWindow(GW_OWNER)

} // namespace driver

#endif
