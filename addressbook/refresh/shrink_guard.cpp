#include "shrink_guard.h"

#include "refresh_rule.h"

#include <cstdint>
#include <sstream>

namespace {

// The first field of the kept text: a later layout starts with another.
constexpr char kLayout[] = "1";

bool IsDigest(const std::string& text) {
    return text.size() == 64 && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

} // namespace

unsigned ParseShrinkLimit(const std::string& limit, std::string& problem) {
    problem.clear();
    if (limit.empty())
        return 0;
    unsigned long percent = 0;
    if (ParseDigits(limit, 3, percent) && percent <= kMostShrinkLimit)
        return static_cast<unsigned>(percent);
    problem = "The value ShrinkLimit \"" + limit + "\" is not a whole number from 0 to " +
              std::to_string(kMostShrinkLimit) +
              ": the address book is not guarded against "
              "shrinking.";
    return 0;
}

bool IsShrunk(unsigned long lastRecords, unsigned long records, unsigned limit) {
    if (limit == 0 || limit > kMostShrinkLimit)
        return false;
    // records < lastRecords * (100 - limit) / 100, in whole numbers without rounding.
    return static_cast<std::uint64_t>(records) * kMostShrinkLimit <
           static_cast<std::uint64_t>(lastRecords) * (kMostShrinkLimit - limit);
}

std::string GuardCountText(const GuardCount& count) {
    return std::string(kLayout) + " " + std::to_string(count.records) + " " +
           std::to_string(count.time) + " " + count.source + " " + count.computer;
}

bool ParseGuardCount(const std::string& text, GuardCount& count) {
    std::istringstream fields(text);
    std::string layout, records, time, source, computer, rest;
    unsigned long number = 0;
    std::uint64_t ticks = 0;
    if (!(fields >> layout >> records >> time >> source >> computer) || (fields >> rest) ||
        layout != kLayout || !ParseDigits(records, 10, number) || !ParseDigits64(time, 19, ticks) ||
        !IsDigest(source) || !IsDigest(computer))
        return false;
    count.records = number;
    count.time = ticks;
    count.source = source;
    count.computer = computer;
    return true;
}

GuardVerdict JudgeShrink(unsigned limit, const GuardCount* kept, const std::string& source,
                         const std::string& computer, unsigned long records) {
    if (limit == 0)
        return GuardVerdict::Off;
    if (!kept)
        return GuardVerdict::NoCount;
    if (kept->computer != computer)
        return GuardVerdict::OtherComputer;
    if (kept->source != source)
        return GuardVerdict::OtherSource;
    return IsShrunk(kept->records, records, limit) ? GuardVerdict::Shrunk : GuardVerdict::Holds;
}
