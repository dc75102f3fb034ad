// When an unattended run may leave the address book alone: the values Refresh ("always",
// the default, or "changed") and RefreshDays (a whole refresh is forced once the last one is
// that many days old; 0: never; default 7), and the judgement against the last whole refresh.
#ifndef TARN_REFRESH_RULE_H
#define TARN_REFRESH_RULE_H

#include <cstddef>
#include <cstdint>
#include <string>

struct RefreshRule {
    bool changedOnly = false;
    unsigned long days = 7;
    unsigned long delay = 0; // RefreshDelay: a silent whole download waits up to this (seconds)
};

// Reads the two values as stored ("" where absent). A value that is not understood keeps its
// default and is named in problem, with what it may be.
RefreshRule ParseRefreshRule(const std::string& refresh, const std::string& days,
                             std::string& problem);

// Whom the record of a whole refresh belongs to, each part the digest of what names it: the
// computer, the Notes installation and its data folder, the bridge library, TARNBOOK's version.
struct RecordOwner {
    std::string computer;
    std::string notes;
    std::string bridge;
    std::string program;
};

// The first part of two owners that differs, in the order above; None for the same owner.
enum class OwnerChange { None, Computer, Notes, Bridge, Program };
OwnerChange CompareOwner(const RecordOwner& recorded, const RecordOwner& current);

// A value of at most digits decimal digits and nothing else, as a number of 32 bits (what an
// unsigned long holds on Windows); false otherwise.
bool ParseDigits(const std::string& text, std::size_t digits, unsigned long& value);
// The same for up to 19 digits (any such number fits).
bool ParseDigits64(const std::string& text, std::size_t digits, std::uint64_t& value);

// RefreshDelay as stored ("" where absent): decimal seconds up to kMostRefreshDelay; 0, the
// default, waits not at all. A value that is not understood keeps 0 and is named in problem.
unsigned long ParseRefreshDelay(const std::string& delay, std::string& problem);
constexpr unsigned long kMostRefreshDelay = 3600;
// The wait before a whole download: random (any unsigned value) spread over 0 to most seconds.
unsigned long ChosenDelay(unsigned long most, unsigned int random);

// What the last whole refresh of this user wrote: its digest, its record count and its time
// (100-nanosecond ticks, as a FILETIME counts them), and whom that record belongs to.
struct LastRefresh {
    std::string digest;
    std::string marker; // the server's change marker read before that refresh, "" for none
    unsigned long records = 0;
    std::uint64_t time = 0;
    RecordOwner owner;
};

enum class RefreshVerdict {
    Unchanged, // the same records as the last whole refresh wrote: nothing is written
    Changed,   // the directory or where it goes changed
    Due,       // the last whole refresh is RefreshDays old (or from the future)
    Unknown,   // no whole refresh is on record
};

// True where the last whole refresh is RefreshDays old, or from the future.
bool IsRefreshDue(const RefreshRule& rule, const LastRefresh& last, std::uint64_t now);

RefreshVerdict JudgeRefresh(const RefreshRule& rule, const LastRefresh* last,
                            const std::string& digest, std::uint64_t now);

constexpr std::uint64_t kTicksPerDay = 864000000000ull;

#endif
