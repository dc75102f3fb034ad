#include "system_error.h"

#include <cstdio>

std::string SystemErrorText(DWORD code) {
    char text[512] = "";
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, text, sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' ||
                          text[length - 1] == ' ' || text[length - 1] == '.'))
        text[--length] = '\0';
    char number[32];
    std::snprintf(number, sizeof number, "error %lu", static_cast<unsigned long>(code));
    return length > 0 ? std::string(text) + " (" + number + ")" : std::string(number);
}
