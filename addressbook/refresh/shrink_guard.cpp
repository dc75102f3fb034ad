#include "shrink_guard.h"

#include "refresh_rule.h"

#include <cstdint>

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
