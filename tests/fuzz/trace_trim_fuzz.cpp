// The trace file's trimming on an in-memory file: whatever the file, the cut and the
// failures of its reads and writes, the move stays inside the file and keeps the tail's bytes
// in order; without failures the file becomes exactly its tail.
#include "fuzz_check.h"
#include "trace_trim.h"

#include <algorithm>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 6)
        return 0;
    // The cut (up to a little past the file's end), then at which call a read or a write fails
    // (0: never), then the file's bytes, repeated so that files span several blocks.
    const std::uint64_t cut = (data[0] | data[1] << 8 | (data[2] & 0x7) << 16);
    const unsigned failingRead = data[3] % 8, shortWrite = data[4] % 8;
    const unsigned copies = 1 + data[5] % 64;
    const std::string pattern(reinterpret_cast<const char*>(data + 6), size - 6);
    std::string file;
    for (unsigned i = 0; i < copies; ++i)
        file += pattern;
    const std::string original = file;

    unsigned reads = 0, writes = 0;
    const std::uint64_t end = MoveTailToFront(
        cut,
        [&](std::uint64_t offset, char* buffer, std::size_t want) -> std::size_t {
            FUZZ_CHECK(want == kTraceTrimBlock);
            if (++reads == failingRead || offset >= file.size())
                return 0;
            const std::size_t got = std::min<std::size_t>(want, file.size() - offset);
            std::memcpy(buffer, file.data() + offset, got);
            return got;
        },
        [&](std::uint64_t offset, const char* bytes, std::size_t count) -> std::size_t {
            // The writer never reaches past where the reader has been.
            FUZZ_CHECK(offset + count <= file.size());
            const std::size_t put = ++writes == shortWrite ? count / 2 : count;
            file.replace(offset, put, bytes, put);
            return put;
        });

    const std::uint64_t tail = cut < original.size() ? original.size() - cut : 0;
    FUZZ_CHECK(end <= tail);
    if (failingRead == 0 && shortWrite == 0) {
        FUZZ_CHECK(end == tail);
        FUZZ_CHECK(end == 0 || file.compare(0, end, original, cut, end) == 0);
    }
    return 0;
}
