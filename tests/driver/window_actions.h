// Acting on the windows of a program under test as a person would: pressing buttons, typing
// into fields, choosing radio buttons, closing windows. Nothing here waits for the program to
// handle what it was sent, except where the text says so.
#ifndef TARN_DRIVER_WINDOW_ACTIONS_H
#define TARN_DRIVER_WINDOW_ACTIONS_H

#include <windows.h>

#include <initializer_list>
#include <string>

namespace driver {

// Presses button `id` of a dialog or message box: posts WM_COMMAND with BN_CLICKED.
bool PressButton(HWND dialog, int id);
// Clicks a button window itself: posts BM_CLICK, so the button does what a mouse click does.
bool ClickButton(HWND button);
// Replaces the text of an edit field (WM_SETTEXT, waits for the answer, briefly).
bool SetEditText(HWND dialog, int id, const std::string& text);
// Checks radio button `id` and unchecks the other radio buttons of `group` (BM_SETCHECK).
bool SelectRadio(HWND dialog, int id, std::initializer_list<int> group);
// Asks a window to close: posts WM_CLOSE.
bool PostClose(HWND window);

} // namespace driver

#endif
