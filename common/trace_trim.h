// Moving the tail of a trace file to its front, block by block: the arithmetic of the trace
// file's trimming, apart from the file calls, so that it runs and is tested anywhere.
#ifndef TARN_TRACE_TRIM_H
#define TARN_TRACE_TRIM_H

#include <cstddef>
#include <cstdint>
#include <functional>

// Size of the blocks the trimming moves.
constexpr std::size_t kTraceTrimBlock = 10240;

// Reads up to size bytes at offset into buffer; the number read, 0 at the end or on failure.
using TrimRead = std::function<std::size_t(std::uint64_t offset, char* buffer, std::size_t size)>;
// Writes size bytes at offset; the number written (fewer on failure).
using TrimWrite =
    std::function<std::size_t(std::uint64_t offset, const char* bytes, std::size_t size)>;

// Moves everything from offset cut on to the front of the file and returns where the moved
// bytes end: the file's new length. A failed read ends the move there.
std::uint64_t MoveTailToFront(std::uint64_t cut, const TrimRead& read, const TrimWrite& write);

#endif
