// Message boxes of a program under test: finding one, reading it, answering it.
#ifndef TARN_DRIVER_MESSAGE_BOX_H
#define TARN_DRIVER_MESSAGE_BOX_H

#include "process.h"
#include "timing.h"
#include "window_reading.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace driver {

struct MessageBoxInfo {
    HWND window = nullptr;
    std::string caption;
    std::string text;
    std::vector<ButtonInfo> buttons;
    bool topmost = false; // system-modal boxes are topmost
    HWND owner = nullptr;

    std::vector<std::string> ButtonTexts() const;
    std::vector<int> ButtonIds() const;
    explicit operator bool() const { return window != nullptr; }
};

// True for a window made by MessageBox (not a dialog of a template that looks alike).
bool IsMessageBox(HWND window);
MessageBoxInfo ReadMessageBox(HWND box);

// Waits for a message box of the process, with the given caption if one is given. Fails the
// test, naming the windows seen, and returns an empty info when none comes.
MessageBoxInfo WaitForMessageBox(const Process& process,
                                 const std::optional<std::string>& caption = std::nullopt,
                                 DWORD timeoutMs = kWindowTimeoutMs);

// Waits for a message box, reads it, presses button `id` (IDOK, IDCANCEL, ...) and waits until
// the box has gone. Returns what the box showed.
MessageBoxInfo AnswerMessageBox(const Process& process, int id,
                                const std::optional<std::string>& caption = std::nullopt,
                                DWORD timeoutMs = kWindowTimeoutMs);

} // namespace driver

#endif
