#include "trace_format.h"

#include <cstdio>

bool TracePassesFilter(std::uint32_t colour, std::uint32_t mask) {
    if (colour == kTraceBlack)
        return (mask & 0x1) != 0;
    if (colour == kTraceDarkBlue || colour == kTraceMediumBlue || colour == kTraceBlue)
        return (mask & 0x2) != 0;
    if (colour == kTraceBrown)
        return (mask & 0x4) != 0;
    return true;
}

std::string FormatTracePrefix(int hour, int minute, int second, int millisecond) {
    auto pad2 = [](int v) { return v < 10 ? "0" : ""; };
    const char* pad3 = millisecond < 10 ? "00" : (millisecond < 100 ? "0" : "");
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s%d:%s%d:%s%d:%s%d - ", pad2(hour), hour, pad2(minute),
                  minute, pad2(second), second, pad3, millisecond);
    return buffer;
}
