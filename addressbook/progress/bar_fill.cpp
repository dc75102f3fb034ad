#include "bar_fill.h"

#include <climits>

namespace {

// Where the filling ends: MulDiv(position - lower, width, upper - lower), rounded to the
// nearest pixel as MulDiv rounds, with positions outside the range held at its ends.
long long FilledLength(int position, int lower, int upper, int width) {
    long long offset = static_cast<long long>(position) - lower;
    const long long range = static_cast<long long>(upper) - lower;
    if (offset < 0)
        offset = 0;
    if (offset > range)
        offset = range;
    return (2 * offset * width + range) / (2 * range);
}

} // namespace

bool BarDrawingChanges(int from, int to, int lower, int upper, int width) {
    if (width <= 0 || upper <= lower)
        return true;
    return FilledLength(from, lower, upper, width) != FilledLength(to, lower, upper, width);
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
