// The page loop of a paged directory search, fed any sequence of server answers: it never asks
// for a page after it has ended, ends on the first answer that is not a success, never counts
// fewer entries than came or wraps, never goes on after a page that brought nothing and handed
// back the cookie it was given, and tells a refused page size only from a first page.
#include "fuzz_check.h"
#include "search/paged_search.h"

#include <limits>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PageLoop loop;
    bool ended = false;
    PageStep endedWith = PageStep::NextPage;
    const unsigned long most = std::numeric_limits<unsigned long>::max();
    unsigned long came = 0; // saturating, as the loop's own count
    std::string previousCookie;
    // Each answer: flags, code, entries (two bytes, scaled), cookie length, cookie bytes.
    for (std::size_t at = 0; at + 4 <= size;) {
        PageAnswer answer;
        answer.answered = (data[at] & 1) != 0;
        answer.code = (data[at] & 2) ? data[at + 1] : kLdapSuccess;
        answer.entries = static_cast<unsigned long>(data[at + 2]) << (data[at] >> 2 & 0x3f);
        const std::size_t cookieLength = std::min<std::size_t>(data[at + 3] % 4, size - at - 4);
        answer.cookie.assign(reinterpret_cast<const char*>(data + at + 4), cookieLength);
        at += 4 + cookieLength;

        const PageStep step = loop.Add(answer);
        if (ended) {
            FUZZ_CHECK(step == endedWith);
            continue;
        }
        if (answer.answered)
            came = answer.entries > most - came ? most : came + answer.entries;
        const bool success = answer.answered && answer.code == kLdapSuccess;
        if (!success)
            FUZZ_CHECK(step == PageStep::Stopped && loop.StopCode() != kLdapSuccess);
        if (success && answer.cookie.empty())
            FUZZ_CHECK(step == PageStep::Complete);
        if (loop.PageSizeRefused())
            FUZZ_CHECK(loop.Pages() == 1 && step == PageStep::Stopped);
        if (step == PageStep::NextPage) {
            FUZZ_CHECK(!answer.cookie.empty());
            FUZZ_CHECK(answer.entries > 0 || answer.cookie != previousCookie);
            previousCookie = answer.cookie;
        } else {
            ended = true;
            endedWith = step;
        }
        FUZZ_CHECK(loop.Entries() == came);
    }
    return 0;
}
