#include "viewer_line.h"

#include "trace_format.h"

LineClass ClassifyTraceColour(std::uint32_t colour) {
    switch (colour) {
    case kTraceDarkBlue:
    case kTraceMediumBlue:
    case kTraceBlue:
        return LineClass::Progress;
    case kTraceBlack:
    case kTraceBrown:
        return LineClass::Plain;
    default:
        return LineClass::Error;
    }
}

std::string FormatViewerLine(int hour, int minute, int second, int millisecond, LineClass lineClass,
                             const std::string& text) {
    // The trace file's stamp without its closing " - ".
    std::string line = FormatTracePrefix(hour, minute, second, millisecond).substr(0, 12);
    switch (lineClass) {
    case LineClass::Error:
        line += " error    ";
        break;
    case LineClass::Progress:
        line += " progress ";
        break;
    case LineClass::Plain:
        line += " info     ";
        break;
    }
    for (char c : text)
        line += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? ' ' : c;
    return line;
}

std::string RecordText(const char* bytes, std::uint32_t byteCount) {
    if (!bytes)
        return std::string();
    std::uint32_t length = 0;
    while (length < byteCount && bytes[length] != '\0')
        ++length;
    return std::string(bytes, length);
}
