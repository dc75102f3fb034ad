#include "command_line.h"

namespace {

template <typename Char> bool IsBlankOrControl(Char c) {
    return static_cast<unsigned long>(c) <= ' ';
}

template <typename Char> const Char* Tail(const Char* commandLine) {
    const Char* p = commandLine;
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

} // namespace

const char* CommandLineTail(const char* commandLine) {
    return Tail(commandLine);
}

const wchar_t* CommandLineTail(const wchar_t* commandLine) {
    return Tail(commandLine);
}
