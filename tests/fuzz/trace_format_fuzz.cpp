// The trace client's platform-free arithmetic: the time stamp of a file line, for any
// field values the clock could hand over, and the colour filter.
#include "fuzz_check.h"
#include "trace_format.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

template <typename T> T Take(const std::uint8_t*& data, std::size_t& size) {
    T value{};
    const std::size_t n = std::min(size, sizeof value);
    std::memcpy(&value, data, n);
    data += n;
    size -= n;
    return value;
}

int Field(const std::string& prefix, std::size_t at, std::size_t width) {
    return std::atoi(prefix.substr(at, width).c_str());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int hour = Take<std::int32_t>(data, size);
    const int minute = Take<std::int32_t>(data, size);
    const int second = Take<std::int32_t>(data, size);
    const int millisecond = Take<std::int32_t>(data, size);
    const std::uint32_t colour = Take<std::uint32_t>(data, size);
    const std::uint32_t mask = Take<std::uint32_t>(data, size);
    const std::uint32_t more = Take<std::uint32_t>(data, size);

    // Any values, even ones no clock gives, stay inside the stamp's buffer.
    const std::string prefix = FormatTracePrefix(hour, minute, second, millisecond);
    FUZZ_CHECK(prefix.size() < 64);
    // Clock values give "HH:MM:SS:mmm - ", each field at its place.
    const int h = (hour % 24 + 24) % 24, m = (minute % 60 + 60) % 60, s = (second % 60 + 60) % 60,
              ms = (millisecond % 1000 + 1000) % 1000;
    const std::string stamp = FormatTracePrefix(h, m, s, ms);
    FUZZ_CHECK(stamp.size() == 15 && stamp.compare(12, 3, " - ") == 0);
    FUZZ_CHECK(stamp[2] == ':' && stamp[5] == ':' && stamp[8] == ':');
    FUZZ_CHECK(Field(stamp, 0, 2) == h && Field(stamp, 3, 2) == m && Field(stamp, 6, 2) == s &&
               Field(stamp, 9, 3) == ms);

    // A mask bit only ever lets more through; with every bit set everything passes, and
    // red passes whatever the mask.
    FUZZ_CHECK(!TracePassesFilter(colour, mask) || TracePassesFilter(colour, mask | more));
    FUZZ_CHECK(TracePassesFilter(colour, 0xFFFFFFFF));
    FUZZ_CHECK(TracePassesFilter(kTraceRed, mask));
    FUZZ_CHECK(TracePassesFilter(colour, mask) == TracePassesFilter(colour, mask & 0x7));
    return 0;
}
