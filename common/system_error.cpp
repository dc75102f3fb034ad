#include "system_error.h"

namespace {

// The system's message for code without its closing blanks, line ends and period; "" when it
// has none.
std::string SystemMessage(DWORD code) {
    char text[512] = "";
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, text, sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' ||
                          text[length - 1] == ' ' || text[length - 1] == '.'))
        --length;
    return std::string(text, length);
}

std::string ErrorNumber(DWORD code) {
    return "error " + std::to_string(static_cast<unsigned long>(code));
}

} // namespace

std::string SystemErrorWords(DWORD code) {
    const std::string words = SystemMessage(code);
    return words.empty() ? ErrorNumber(code) : words;
}

std::string SystemErrorText(DWORD code) {
    const std::string words = SystemMessage(code);
    return words.empty() ? ErrorNumber(code) : words + " (" + ErrorNumber(code) + ")";
}
