#include "trace_format.h"

#include <gtest/gtest.h>

TEST(TraceFilter, RedAndUnlistedColoursAlwaysPass) {
    for (std::uint32_t mask : {0u, 1u, 2u, 4u, 0xFFFFFFFFu}) {
        EXPECT_TRUE(TracePassesFilter(kTraceRed, mask)) << mask;
        EXPECT_TRUE(TracePassesFilter(0x00FF00, mask)) << mask;
        EXPECT_TRUE(TracePassesFilter(0xFF0001, mask)) << mask;
    }
}

TEST(TraceFilter, EachClassNeedsItsOwnBit) {
    struct Row {
        std::uint32_t colour;
        std::uint32_t bit;
    } rows[] = {{kTraceBlack, 1},
                {kTraceDarkBlue, 2},
                {kTraceMediumBlue, 2},
                {kTraceBlue, 2},
                {kTraceBrown, 4}};
    for (const Row& row : rows) {
        EXPECT_TRUE(TracePassesFilter(row.colour, row.bit)) << std::hex << row.colour;
        EXPECT_TRUE(TracePassesFilter(row.colour, 0xFFFFFFFF)) << std::hex << row.colour;
        EXPECT_FALSE(TracePassesFilter(row.colour, 0)) << std::hex << row.colour;
        EXPECT_FALSE(TracePassesFilter(row.colour, 7 & ~row.bit)) << std::hex << row.colour;
    }
}

TEST(TraceFilter, MaskTwoKeepsTheBluesAndDropsBlackAndBrown) {
    EXPECT_TRUE(TracePassesFilter(kTraceBlue, 2));
    EXPECT_TRUE(TracePassesFilter(kTraceDarkBlue, 2));
    EXPECT_TRUE(TracePassesFilter(kTraceMediumBlue, 2));
    EXPECT_FALSE(TracePassesFilter(kTraceBlack, 2));
    EXPECT_FALSE(TracePassesFilter(kTraceBrown, 2));
}

TEST(TracePrefix, EveryFieldHasItsFixedWidth) {
    EXPECT_EQ(FormatTracePrefix(7, 5, 3, 7), "07:05:03:007 - ");
    EXPECT_EQ(FormatTracePrefix(23, 59, 59, 999), "23:59:59:999 - ");
    EXPECT_EQ(FormatTracePrefix(10, 10, 10, 100), "10:10:10:100 - ");
    EXPECT_EQ(FormatTracePrefix(0, 0, 0, 0), "00:00:00:000 - ");
    EXPECT_EQ(FormatTracePrefix(14, 3, 9, 42), "14:03:09:042 - ");
    EXPECT_EQ(FormatTracePrefix(9, 10, 0, 10).size(), 15u);
}
