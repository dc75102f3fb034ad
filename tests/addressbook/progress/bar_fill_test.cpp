#include "progress/bar_fill.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

struct StepCase {
    int from, to, lower, upper, width;
    bool changes;
    const char* what;
};

TEST(BarFilling, AStepIsDrawnOnlyWhenTheFilledLengthChanges) {
    const StepCase cases[] = {
        {1, 2, 0, 65535, 368, false, "well inside one pixel"},
        {89, 90, 0, 65535, 368, true, "rounded to the nearest pixel, 0.4998 becomes 0.5054"},
        {178, 179, 0, 65535, 368, false, "0.9995 and 1.0051 both round to 1"},
        {267, 268, 0, 65535, 368, true, "1.4993 becomes 1.5049"},
        {0, 1, 0, 100, 368, true, "a bar wider than its range moves with every step"},
        {65535, 65540, 0, 65535, 368, false, "beyond the top the bar stays full"},
        {-5, 0, 0, 65535, 368, false, "below the bottom the bar stays empty"},
        {0, 1, INT_MIN, INT_MAX, 1000, false, "the widest range"},
        {5, 6, 0, 0, 368, true, "an empty range tells nothing"},
        {5, 6, 0, 100, 0, true, "an unknown width tells nothing"},
    };
    for (const StepCase& c : cases)
        EXPECT_EQ(BarDrawingChanges(c.from, c.to, c.lower, c.upper, c.width), c.changes) << c.what;
}

TEST(BarFilling, AThemedBarGoesOnePastThePositionAndBackAnyOtherIsJustSet) {
    using Moves = std::vector<BarMove>;
    const BarMove at40 = {BarMove::Position, 40, 0};
    EXPECT_EQ(MovesToShow(40, 0, 100, true), (Moves{{BarMove::Position, 41, 0}, at40}));
    EXPECT_EQ(MovesToShow(100, 0, 100, true), (Moves{{BarMove::Range, 0, 101},
                                                     {BarMove::Position, 101, 0},
                                                     {BarMove::Position, 100, 0},
                                                     {BarMove::Range, 0, 100}}))
        << "at the top, within a range one wider for the moment";
    EXPECT_EQ(MovesToShow(INT_MAX, 0, INT_MAX, true), (Moves{{BarMove::Position, INT_MAX, 0}}))
        << "no wider range exists";
    EXPECT_EQ(MovesToShow(40, 0, 100, false), Moves{at40});
    EXPECT_EQ(MovesToShow(100, 0, 100, false), (Moves{{BarMove::Position, 100, 0}}));
}

} // namespace
