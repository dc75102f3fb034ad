// The platform-free decisions of the trace client: which colours pass the filter mask
// and how a trace file line is stamped.
#ifndef TARN_TRACE_FORMAT_H
#define TARN_TRACE_FORMAT_H

#include <cstdint>
#include <string>

// Colours in the 0x00BBGGRR layout that callers pass to Trace.
constexpr std::uint32_t kTraceBlack = 0x000000;
constexpr std::uint32_t kTraceDarkBlue = 0x800000;
constexpr std::uint32_t kTraceMediumBlue = 0xC00000;
constexpr std::uint32_t kTraceBlue = 0xFF0000; // progress, entry into an operation, settings
constexpr std::uint32_t kTraceBrown = 0x004080;
constexpr std::uint32_t kTraceRed = 0x0000FF; // failures, never filtered

// True when a line of this colour passes the "TRACE COMPONENTS" mask: black needs bit
// 0x1, the three blues bit 0x2, brown bit 0x4; every other colour always passes.
bool TracePassesFilter(std::uint32_t colour, std::uint32_t mask);

// The 15-character stamp "HH:MM:SS:mmm - " that begins every trace file line.
std::string FormatTracePrefix(int hour, int minute, int second, int millisecond);

// Limits of the trace file: a write that leaves it larger than kTraceFileLimit bytes
// cuts kTraceFileCut bytes from its beginning.
constexpr std::uint32_t kTraceFileLimit = 0x100000;
constexpr std::uint32_t kTraceFileCut = kTraceFileLimit / 10;

#endif
