#include "refresh/shrink_guard.h"

#include <gtest/gtest.h>

namespace {

TEST(ShrinkGuard, ShrinkLimitIsAWholeNumberUpToAHundredOrNoGuard) {
    const struct {
        const char* text;
        unsigned limit;
        bool understood;
    } cases[] = {
        {"", 0, true},     {"0", 0, true},     {"50", 50, true},   {"100", 100, true},
        {"007", 7, true},  {"101", 0, false},  {"-1", 0, false},   {"50%", 0, false},
        {" 50", 0, false}, {"5000", 0, false}, {"half", 0, false},
    };
    for (const auto& c : cases) {
        std::string problem;
        EXPECT_EQ(ParseShrinkLimit(c.text, problem), c.limit) << c.text;
        EXPECT_EQ(problem.empty(), c.understood) << c.text << ": " << problem;
        if (!c.understood) {
            EXPECT_NE(problem.find(std::string("\"") + c.text + "\""), std::string::npos)
                << problem;
        }
    }
}

TEST(ShrinkGuard, ABookIsHeldBackOnlyBelowItsShareOfTheLastWholeRefresh) {
    const struct {
        unsigned long last, now;
        unsigned limit;
        bool shrunk;
    } cases[] = {
        {2000, 40, 50, true},        {2000, 1000, 50, false}, {2000, 999, 50, true},
        {2000, 40, 0, false},        {2000, 0, 100, false},   {2000, 1979, 1, true},
        {2000, 1980, 1, false},      {0, 0, 50, false},       {3, 2, 50, false},
        {4294967295ul, 1, 99, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsShrunk(c.last, c.now, c.limit), c.shrunk)
            << c.now << " of " << c.last << " at " << c.limit;
}

} // namespace
