#include "window_finder.h"

#include "window_reading.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace driver {

namespace {

struct EnumRequest {
    DWORD processId;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectVisibleWindow(HWND window, LPARAM lParam) {
    auto* request = reinterpret_cast<EnumRequest*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == request->processId && IsWindowVisible(window))
        request->windows.push_back(window);
    return TRUE;
}

// Keeps the description of every window seen while waiting, each once.
void Remember(std::vector<std::string>& seen, const std::vector<HWND>& windows) {
    for (HWND window : windows) {
        const std::string description = DescribeWindow(window);
        if (std::find(seen.begin(), seen.end(), description) == seen.end())
            seen.push_back(description);
    }
}

std::string JoinList(const std::vector<std::string>& items) {
    std::string list = "[";
    for (size_t i = 0; i < items.size(); ++i)
        list += (i ? ", " : "") + items[i];
    return list + "]";
}

} // namespace

bool WindowMatch::Matches(HWND window) const {
    if (caption && WindowText(window) != *caption)
        return false;
    if (className && WindowClass(window) != *className)
        return false;
    return !test || test(window);
}

std::string WindowMatch::Describe() const {
    std::string text = kind;
    if (caption)
        text += " titled \"" + *caption + "\"";
    if (className)
        text += " of class \"" + *className + "\"";
    return text;
}

WindowMatch Titled(std::string caption) {
    WindowMatch match;
    match.caption = std::move(caption);
    return match;
}

WindowMatch OfClass(std::string className) {
    WindowMatch match;
    match.className = std::move(className);
    return match;
}

WindowMatch DialogTitled(std::string caption) {
    WindowMatch match = Titled(std::move(caption));
    match.className = "#32770";
    return match;
}

WindowMatch AnyWindow() {
    return WindowMatch{};
}

std::vector<HWND> VisibleWindowsOf(DWORD processId) {
    EnumRequest request{processId, {}};
    EnumWindows(CollectVisibleWindow, reinterpret_cast<LPARAM>(&request));
    return request.windows;
}

std::string DescribeWindow(HWND window) {
    return "\"" + WindowText(window) + "\" (" + WindowClass(window) + ")";
}

std::string DescribeWindows(const std::vector<HWND>& windows) {
    std::vector<std::string> items;
    for (HWND window : windows)
        items.push_back(DescribeWindow(window));
    return JoinList(items);
}

HWND FindWindowOf(DWORD processId, const WindowMatch& match) {
    for (HWND window : VisibleWindowsOf(processId)) {
        if (match.Matches(window))
            return window;
    }
    return nullptr;
}

HWND WaitForWindow(const Process& process, const WindowMatch& match, DWORD timeoutMs) {
    std::vector<std::string> seen;
    HWND found = nullptr;
    bool ended = false;
    PollUntil(
        [&] {
            // Looked at before the windows, so that a window shown just before the end counts.
            ended = !process.IsRunning();
            const std::vector<HWND> windows = VisibleWindowsOf(process.Id());
            Remember(seen, windows);
            for (HWND window : windows) {
                if (match.Matches(window)) {
                    found = window;
                    return true;
                }
            }
            return ended;
        },
        timeoutMs);
    if (!found) {
        ADD_FAILURE() << "expected " << match.Describe() << ", saw: " << JoinList(seen)
                      << (ended ? " before the program ended" : " within the time allowed");
    }
    return found;
}

bool WaitForItemText(HWND dialog, int id, const std::string& expected, DWORD timeoutMs) {
    std::string text;
    if (PollUntil([&] { return (text = ItemText(dialog, id)) == expected; }, timeoutMs))
        return true;
    ADD_FAILURE() << "expected item " << id << " of " << DescribeWindow(dialog) << " to read \""
                  << expected << "\", it read \"" << text << "\"";
    return false;
}

bool WaitForWindowGone(HWND window, DWORD timeoutMs) {
    return PollUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

void ExpectNoWindowUntilExit(Process& process, DWORD timeoutMs) {
    std::vector<std::string> seen;
    const bool ended = PollUntil(
        [&] {
            const bool gone = !process.IsRunning();
            Remember(seen, VisibleWindowsOf(process.Id()));
            return gone;
        },
        timeoutMs);
    if (!seen.empty() || !ended) {
        ADD_FAILURE() << "expected no window, saw: " << JoinList(seen)
                      << (ended ? "" : ", and the program had not ended after ")
                      << (ended ? "" : std::to_string(timeoutMs) + " ms");
    }
}

void ExpectOnlyWindow(const Process& process, HWND expected) {
    std::vector<HWND> others = VisibleWindowsOf(process.Id());
    others.erase(std::remove(others.begin(), others.end(), expected), others.end());
    EXPECT_TRUE(others.empty()) << "expected only " << DescribeWindow(expected)
                                << ", saw also: " << DescribeWindows(others);
}

} // namespace driver
