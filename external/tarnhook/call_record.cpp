#include "call_record.h"

#include <cstdio>

namespace tarnhook {

namespace {

std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return text;
}

std::string Hex(std::uintptr_t value) {
    char buffer[2 * sizeof value + 1];
    std::snprintf(buffer, sizeof buffer, "%llx", static_cast<unsigned long long>(value));
    return buffer;
}

void AppendWindow(std::string& out, const WindowRecord& window) {
    out += "window " + Hex(window.handle) + " owner=" + Hex(window.owner) +
           " class=" + OneLine(window.className) + " rect=" + std::to_string(window.left) + "," +
           std::to_string(window.top) + "," + std::to_string(window.right) + "," +
           std::to_string(window.bottom) + " title=" + OneLine(window.title) + "\n";
    for (const ControlRecord& control : window.controls) {
        out += "item " + std::to_string(control.id) + " class=" + OneLine(control.className) +
               " text=" + OneLine(control.text) + "\n";
        if (control.isProgressBar) {
            out += "progress " + std::to_string(control.id) +
                   " pos=" + std::to_string(control.position) +
                   " min=" + std::to_string(control.low) + " max=" + std::to_string(control.high) +
                   "\n";
        }
    }
}

} // namespace

std::string ArgText(const char* text) {
    return text ? std::string(text) : std::string();
}

std::string FormatCallRecord(const CallRecord& record) {
    std::string out = "call " + record.exportName + "\n";
    for (const std::string& arg : record.args)
        out += "arg " + OneLine(arg) + "\n";
    out += "result " + std::to_string(record.result) + "\n";
    for (const WindowRecord& window : record.windows)
        AppendWindow(out, window);
    out += "end\n";
    return out;
}

} // namespace tarnhook
