#include "command_line.h"

namespace {
bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}
} // namespace

const char* CommandLineTail(const char* commandLine) {
    const char* p = commandLine;
    if (*p == '"') {
        ++p;
        while (*p && *p != '"')
            ++p;
        if (*p == '"')
            ++p;
    } else {
        while (*p && !IsBlankOrControl(*p))
            ++p;
    }
    while (*p && IsBlankOrControl(*p))
        ++p;
    return p;
}
