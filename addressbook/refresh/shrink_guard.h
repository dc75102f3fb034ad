// The guard against an address book that shrinks by mistake: ShrinkLimit (0 to 100, default 0:
// no guard) is the share, in percent, by which a download may hold fewer records than the last
// complete run from the same server, search base, filter and attributes before the book is left
// as it was. What the guard compares with is kept apart from the record of the last whole
// refresh: a run that breaks off sets that record aside, never the guard's count. Platform-free.
#ifndef TARN_SHRINK_GUARD_H
#define TARN_SHRINK_GUARD_H

#include <cstdint>
#include <string>

constexpr unsigned kMostShrinkLimit = 100;

// ShrinkLimit as stored ("" where absent). A value that is not understood keeps 0 and is named
// in problem.
unsigned ParseShrinkLimit(const std::string& limit, std::string& problem);

// True where records is fewer than (100 - limit)% of lastRecords; never with the limit 0.
bool IsShrunk(unsigned long lastRecords, unsigned long records, unsigned limit);

// What the last complete run wrote, as the guard keeps it: the record count, when, the digest
// of where it came from (server, search base, filter, the attribute of each field) and the
// digest of the computer.
struct GuardCount {
    unsigned long records = 0;
    std::uint64_t time = 0; // 100-nanosecond ticks since 1601 (UTC)
    std::string source;     // 64 hex digits
    std::string computer;   // 64 hex digits
};

// The count as one text, so that it is stored and replaced in one write.
std::string GuardCountText(const GuardCount& count);
// The count from such a text; false for any other text (a later layout among them).
bool ParseGuardCount(const std::string& text, GuardCount& count);

enum class GuardVerdict {
    Off,           // ShrinkLimit 0
    NoCount,       // no complete run is on record
    OtherComputer, // the count was kept on another computer
    OtherSource,   // the count came from another server, search base, filter or attributes
    Holds,         // the download holds enough records
    Shrunk,        // too few: the book is left as it was
};
// kept: the count on record, or nullptr; source and computer: this run's digests.
GuardVerdict JudgeShrink(unsigned limit, const GuardCount* kept, const std::string& source,
                         const std::string& computer, unsigned long records);

#endif
