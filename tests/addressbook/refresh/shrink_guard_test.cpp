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

namespace {

const std::string kSource(64, 'a');
const std::string kComputer(64, 'c');

TEST(ShrinkGuard, TheCountIsKeptAsOneTextAndAnyOtherTextIsNoCount) {
    GuardCount kept;
    kept.records = 4294967295ul;
    kept.time = 134000000000000000ull;
    kept.source = kSource;
    kept.computer = kComputer;
    GuardCount read;
    ASSERT_TRUE(ParseGuardCount(GuardCountText(kept), read)) << GuardCountText(kept);
    EXPECT_EQ(read.records, kept.records);
    EXPECT_EQ(read.time, kept.time);
    EXPECT_EQ(read.source, kSource);
    EXPECT_EQ(read.computer, kComputer);

    const std::string tail = " " + kSource + " " + kComputer;
    const std::string refused[] = {
        "",
        "2 40 1" + tail,         // a later layout
        "1 4294967296 1" + tail, // a count beyond 32 bits
        "1 -4 1" + tail,         // not a number
        "1 40" + tail,           // a field missing
        "1 40 1" + tail + " 7",  // a field more
        "1 40 1 " + std::string(63, 'a') + " " + kComputer,
        "1 40 1 " + std::string(64, 'A') + " " + kComputer,
        "1 40 1 " + kSource + " " + std::string(64, 'g'),
    };
    for (const std::string& text : refused)
        EXPECT_FALSE(ParseGuardCount(text, read)) << text;
}

TEST(ShrinkGuard, ADownloadIsComparedOnlyWithACountOfTheSameComputerAndSource) {
    GuardCount kept;
    kept.records = 2000;
    kept.source = kSource;
    kept.computer = kComputer;
    const std::string other(64, 'b');
    const struct {
        unsigned limit;
        const GuardCount* kept;
        std::string source, computer;
        unsigned long records;
        GuardVerdict verdict;
    } cases[] = {
        {0, &kept, kSource, kComputer, 40, GuardVerdict::Off},
        {50, nullptr, kSource, kComputer, 40, GuardVerdict::NoCount},
        {50, &kept, kSource, other, 40, GuardVerdict::OtherComputer},
        {50, &kept, other, kComputer, 40, GuardVerdict::OtherSource},
        {50, &kept, kSource, kComputer, 40, GuardVerdict::Shrunk},
        {50, &kept, kSource, kComputer, 1000, GuardVerdict::Holds},
    };
    for (const auto& c : cases)
        EXPECT_EQ(JudgeShrink(c.limit, c.kept, c.source, c.computer, c.records), c.verdict)
            << c.limit << " " << c.records << " " << static_cast<int>(c.verdict);
}

} // namespace
