#include "line_output.h"

#include "system_error.h"

namespace {

void WriteBytes(HANDLE handle, const std::string& bytes) {
    DWORD written = 0;
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

} // namespace

LineOutput::LineOutput() : console_(GetStdHandle(STD_OUTPUT_HANDLE)) {
    DWORD mode = 0;
    CONSOLE_SCREEN_BUFFER_INFO info;
    isConsole_ = GetConsoleMode(console_, &mode) != 0;
    if (isConsole_ && GetConsoleScreenBufferInfo(console_, &info))
        plainAttributes_ = info.wAttributes;
}

int LineOutput::OpenFile(const std::string& path, std::string& error) {
    file_.reset(CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_.valid()) {
        error = "cannot open " + path + " for writing: " + SystemErrorText(GetLastError());
        return 0;
    }
    return 1;
}

void LineOutput::Write(LineClass lineClass, const std::string& line) {
    const std::string text = line + "\r\n";
    if (isConsole_) {
        // The console's own background stays; only the letters take the class's colour.
        const WORD background = plainAttributes_ & 0xF0;
        WORD colour = plainAttributes_;
        if (lineClass == LineClass::Error)
            colour = background | FOREGROUND_RED | FOREGROUND_INTENSITY;
        else if (lineClass == LineClass::Progress)
            colour = background | FOREGROUND_BLUE | FOREGROUND_INTENSITY;
        SetConsoleTextAttribute(console_, colour);
        DWORD written = 0;
        WriteConsoleA(console_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        SetConsoleTextAttribute(console_, plainAttributes_);
    } else if (console_ && console_ != INVALID_HANDLE_VALUE) {
        WriteBytes(console_, text);
    }
    if (file_.valid())
        WriteBytes(file_.get(), text);
}
