// The stand-in bridge's call log: each call with its arguments, its result and the
// windows the program had on screen at that moment.
#ifndef TARN_BRIDGE_LOG_H
#define TARN_BRIDGE_LOG_H

#include <string>
#include <vector>

struct LoggedItem {
    int id = 0;
    std::string className;
    std::string text;
};

struct LoggedProgress {
    int id = 0;
    int pos = 0;
    int min = 0;
    int max = 0;
};

struct LoggedWindow {
    std::string hwnd;
    std::string owner; // "0" when the window has none
    std::string className;
    int left = 0, top = 0, right = 0, bottom = 0;
    std::string title;
    std::vector<LoggedItem> items;
    std::vector<LoggedProgress> progress;

    // The text of item id, or nothing found.
    const LoggedItem* Item(int id) const;
};

struct LoggedCall {
    std::string name;
    std::vector<std::string> args;
    int result = 0;
    std::vector<LoggedWindow> windows;

    // The first window that holds item id.
    const LoggedWindow* WindowWithItem(int id) const;
};

std::vector<LoggedCall> ParseBridgeLog(const std::string& text);
std::vector<LoggedCall> ReadBridgeLog(const std::string& path);
// The names of the calls in order, e.g. "InitNotesSession,OpenAddressBook,...".
std::string CallNames(const std::vector<LoggedCall>& calls);
std::vector<LoggedCall> CallsNamed(const std::vector<LoggedCall>& calls, const std::string& name);

#endif
