#include "bar_fill.h"

#include <climits>

namespace {

struct Filled {
    long long down;
    long long nearest;
};

Filled FilledLength(int position, int lower, int upper, int width) {
    long long offset = static_cast<long long>(position) - lower;
    const long long range = static_cast<long long>(upper) - lower;
    if (offset < 0)
        offset = 0;
    if (offset > range)
        offset = range;
    const long long scaled = offset * width;
    return {scaled / range, (2 * scaled + range) / (2 * range)};
}

} // namespace

bool BarDrawingChanges(int from, int to, int lower, int upper, int width) {
    if (width <= 0 || upper <= lower)
        return true;
    const Filled before = FilledLength(from, lower, upper, width);
    const Filled after = FilledLength(to, lower, upper, width);
    return before.down != after.down || before.nearest != after.nearest;
}

std::vector<BarMove> MovesToShow(int position, int lower, int upper, bool animated) {
    if (animated && position < upper)
        return {{BarMove::Position, position + 1, 0}, {BarMove::Position, position, 0}};
    if (animated && position == upper && upper < INT_MAX)
        return {{BarMove::Range, lower, upper + 1},
                {BarMove::Position, position + 1, 0},
                {BarMove::Position, position, 0},
                {BarMove::Range, lower, upper}};
    return {{BarMove::Position, position, 0}};
}
