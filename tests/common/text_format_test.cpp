#include "text_format.h"

#include <gtest/gtest.h>

TEST(FormatWithArgument, PutsTheArgumentInPlaceOfEveryPercentS) {
    EXPECT_EQ(FormatWithArgument("Cannot load %s.", "tarnhook.dll"), "Cannot load tarnhook.dll.");
    EXPECT_EQ(FormatWithArgument("%s and %s", "x"), "x and x");
    EXPECT_EQ(FormatWithArgument("no argument", "x"), "no argument");
}

TEST(FormatWithArgument, LeavesOtherConversionsAsTheyStand) {
    // A resource text with another conversion must never read a second argument.
    EXPECT_EQ(FormatWithArgument("%d%% of %s %n %x", "A"), "%d% of A %n %x");
    EXPECT_EQ(FormatWithArgument("ends in %", "A"), "ends in %");
    EXPECT_EQ(FormatWithArgument("%%s", "A"), "%s");
}

TEST(FormatWithArgument, CopiesTheArgumentLiterally) {
    EXPECT_EQ(FormatWithArgument("[%s]", "%s%d"), "[%s%d]");
    EXPECT_EQ(FormatWithArgument("[%s]", ""), "[]");
}
