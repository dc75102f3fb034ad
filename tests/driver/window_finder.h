// Finding the top-level windows that a program under test shows, and failing the test with
// the list of what it did show when the expected window does not come.
#ifndef TARN_DRIVER_WINDOW_FINDER_H
#define TARN_DRIVER_WINDOW_FINDER_H

#include "process.h"
#include "timing.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace driver {

// Which window is wanted: its caption, its class, a further test, or any of these together;
// an empty match takes any window.
struct WindowMatch {
    std::optional<std::string> caption;
    std::optional<std::string> className;
    std::function<bool(HWND)> test; // e.g. IsMessageBox
    std::string kind = "a window";  // what the test looks for, in failure messages

    bool Matches(HWND window) const;
    std::string Describe() const; // e.g. a window titled "X" of class "#32770"
};

WindowMatch Titled(std::string caption);
WindowMatch OfClass(std::string className);
WindowMatch DialogTitled(std::string caption); // class "#32770": dialogs and message boxes
WindowMatch AnyWindow();

// The visible top-level windows of a process, in z-order.
std::vector<HWND> VisibleWindowsOf(DWORD processId);

// One window as a test message shows it: "caption" (class).
std::string DescribeWindow(HWND window);
// Several windows: ["caption" (class), ...].
std::string DescribeWindows(const std::vector<HWND>& windows);

// The first visible top-level window of the process that matches, or nullptr.
HWND FindWindowOf(DWORD processId, const WindowMatch& match);

// Waits for a visible top-level window of the process that matches. When none comes within
// timeoutMs, or the program ends first, the test fails with "expected <match>, saw: [...]"
// (every window the program showed meanwhile) and nullptr is returned.
HWND WaitForWindow(const Process& process, const WindowMatch& match,
                   DWORD timeoutMs = kWindowTimeoutMs);

// Waits until item `id` of the dialog reads `expected` (GetWindowText), for texts that a
// program sets after its window has appeared. Fails the test with the last text read.
bool WaitForItemText(HWND dialog, int id, const std::string& expected,
                     DWORD timeoutMs = kWindowTimeoutMs);

// Waits until the window is gone or hidden; false after timeoutMs.
bool WaitForWindowGone(HWND window, DWORD timeoutMs = kWindowTimeoutMs);

// For silent runs: fails the test for every window the program shows before it ends, and
// when it has not ended within timeoutMs.
void ExpectNoWindowUntilExit(Process& process, DWORD timeoutMs = kExitTimeoutMs);

// Fails the test when the process shows any visible top-level window besides `expected`.
void ExpectOnlyWindow(const Process& process, HWND expected);

} // namespace driver

#endif
