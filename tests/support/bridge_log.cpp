#include "bridge_log.h"

#include "test_files.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {
bool StartsWith(const std::string& line, const char* prefix) {
    return line.rfind(prefix, 0) == 0;
}

// The text after "key=" up to the next blank, or to the line end for the last field.
std::string Field(const std::string& line, const std::string& key, bool toEnd = false) {
    const std::size_t at = line.find(" " + key + "=");
    if (at == std::string::npos)
        return std::string();
    const std::size_t begin = at + key.size() + 2;
    if (toEnd)
        return line.substr(begin);
    const std::size_t end = line.find(' ', begin);
    return line.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}
} // namespace

const LoggedItem* LoggedWindow::Item(int id) const {
    for (const LoggedItem& item : items)
        if (item.id == id)
            return &item;
    return nullptr;
}

const LoggedWindow* LoggedCall::WindowWithItem(int id) const {
    for (const LoggedWindow& window : windows)
        if (window.Item(id))
            return &window;
    return nullptr;
}

std::vector<LoggedCall> ParseBridgeLog(const std::string& text) {
    std::vector<LoggedCall> calls;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (StartsWith(line, "call ")) {
            calls.emplace_back();
            calls.back().name = line.substr(5);
        } else if (calls.empty()) {
            continue;
        } else if (StartsWith(line, "arg ")) {
            calls.back().args.push_back(line.substr(4));
        } else if (line == "arg") {
            calls.back().args.emplace_back();
        } else if (StartsWith(line, "result ")) {
            calls.back().result = std::atoi(line.c_str() + 7);
        } else if (StartsWith(line, "window ")) {
            LoggedWindow window;
            window.hwnd = line.substr(7, line.find(' ', 7) - 7);
            window.owner = Field(line, "owner");
            window.className = Field(line, "class");
            std::sscanf(Field(line, "rect").c_str(), "%d,%d,%d,%d", &window.left, &window.top,
                        &window.right, &window.bottom);
            window.title = Field(line, "title", true);
            calls.back().windows.push_back(window);
        } else if (StartsWith(line, "item ") && !calls.back().windows.empty()) {
            LoggedItem item;
            item.id = std::atoi(line.c_str() + 5);
            item.className = Field(line, "class");
            item.text = Field(line, "text", true);
            calls.back().windows.back().items.push_back(item);
        } else if (StartsWith(line, "progress ") && !calls.back().windows.empty()) {
            LoggedProgress progress;
            progress.id = std::atoi(line.c_str() + 9);
            progress.pos = std::atoi(Field(line, "pos").c_str());
            progress.min = std::atoi(Field(line, "min").c_str());
            progress.max = std::atoi(Field(line, "max").c_str());
            calls.back().windows.back().progress.push_back(progress);
        }
    }
    return calls;
}

std::vector<LoggedCall> ReadBridgeLog(const std::string& path) {
    return ParseBridgeLog(driver::ReadTextFile(path));
}

std::string CallNames(const std::vector<LoggedCall>& calls) {
    std::string names;
    for (const LoggedCall& call : calls)
        names += (names.empty() ? "" : ",") + call.name;
    return names;
}

std::vector<LoggedCall> CallsNamed(const std::vector<LoggedCall>& calls, const std::string& name) {
    std::vector<LoggedCall> named;
    for (const LoggedCall& call : calls)
        if (call.name == name)
            named.push_back(call);
    return named;
}
