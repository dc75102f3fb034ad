// How the trace viewer sorts and writes one received trace line.
#ifndef TARN_VIEWER_LINE_H
#define TARN_VIEWER_LINE_H

#include <cstdint>
#include <string>

// Error: red and every colour the trace client's table does not know. Progress: the three
// blues. Plain: black and brown.
enum class LineClass { Error, Progress, Plain };

LineClass ClassifyTraceColour(std::uint32_t colour);

// "HH:MM:SS:mmm error    text": the time the line arrived, its class as a word (so the
// class survives where colours do not, in a file or a pipe) and the text, whose line breaks
// and other control characters become blanks so that one message stays one line.
std::string FormatViewerLine(int hour, int minute, int second, int millisecond, LineClass lineClass,
                             const std::string& text);

// The text of a received record: up to its terminator, never beyond its byte count.
std::string RecordText(const char* bytes, std::uint32_t byteCount);

#endif
