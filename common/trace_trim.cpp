#include "trace_trim.h"

std::uint64_t MoveTailToFront(std::uint64_t cut, const TrimRead& read, const TrimWrite& write) {
    char block[kTraceTrimBlock];
    std::uint64_t readOffset = cut;
    std::uint64_t writeOffset = 0;
    for (;;) {
        const std::size_t got = read(readOffset, block, sizeof block);
        if (got == 0)
            break;
        readOffset += got;
        writeOffset += write(writeOffset, block, got);
    }
    return writeOffset;
}
