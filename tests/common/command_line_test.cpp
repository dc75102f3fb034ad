#include "command_line.h"

#include <gtest/gtest.h>

#include <string>

TEST(CommandLineTail, SkipsAnUnquotedProgramNameAndTheBlanksBehindIt) {
    EXPECT_EQ(std::string(CommandLineTail("TARNBOOK.exe")), "");
    EXPECT_EQ(std::string(CommandLineTail("TARNBOOK.exe   ")), "");
    EXPECT_EQ(std::string(CommandLineTail("TARNBOOK.exe \t \t")), "");
    EXPECT_EQ(std::string(CommandLineTail("TARNBOOK.exe -i -u")), "-i -u");
    EXPECT_EQ(std::string(CommandLineTail("C:\\x\\TARNBOOK.exe\tx")), "x");
}

TEST(CommandLineTail, AQuotedNameEndsAtItsClosingQuote) {
    EXPECT_EQ(std::string(CommandLineTail("\"C:\\Program Files\\TARNSETUP.exe\" -s")), "-s");
    EXPECT_EQ(std::string(CommandLineTail("\"C:\\Program Files\\TARNSETUP.exe\"-u")), "-u");
    EXPECT_EQ(std::string(CommandLineTail("\"C:\\Program Files\\TARNSETUP.exe\"")), "");
    EXPECT_EQ(std::string(CommandLineTail("\"unterminated name")), "");
}

TEST(CommandLineTail, KeepsTrailingBlanksOfTheArguments) {
    EXPECT_EQ(std::string(CommandLineTail("a.exe x ")), "x ");
    EXPECT_EQ(std::string(CommandLineTail("")), "");
}
