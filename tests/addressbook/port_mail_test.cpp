#include "mail_address.h"
#include "settings/port_number.h"

#include <gtest/gtest.h>

TEST(PortNumber, TakesTheDigitsAfterLeadingWhiteSpaceUpToTheFirstOtherCharacter) {
    EXPECT_EQ(ParsePortNumber("389"), 389);
    EXPECT_EQ(ParsePortNumber(" 389x"), 389);
    EXPECT_EQ(ParsePortNumber("\t\n 636"), 636);
    EXPECT_EQ(ParsePortNumber("+389"), 389);
    EXPECT_EQ(ParsePortNumber("-1"), -1);
    EXPECT_EQ(ParsePortNumber("3 89"), 3);
}

TEST(PortNumber, NoDigitsGiveZero) {
    EXPECT_EQ(ParsePortNumber("x389"), 0);
    EXPECT_EQ(ParsePortNumber(""), 0);
    EXPECT_EQ(ParsePortNumber("+"), 0);
    EXPECT_EQ(ParsePortNumber("\x85\x01"), 0); // a 32-bit 389 read as text
}

TEST(PortNumber, HasNoRangeCheckAndNeverOverflowsIntoUndefinedBehaviour) {
    EXPECT_EQ(ParsePortNumber("65536"), 65536);
    EXPECT_EQ(ParsePortNumber("4294967686"), 390); // wraps around 2^32
    ParsePortNumber("99999999999999999999999999");
}

TEST(MailAddress, AnAtSignAnywhereMakesAnInternetAddress) {
    EXPECT_TRUE(IsInternetMailAddress("ann@example.org"));
    EXPECT_TRUE(IsInternetMailAddress("@example.org"));
    EXPECT_TRUE(IsInternetMailAddress("ann@"));
    EXPECT_FALSE(IsInternetMailAddress("4711"));
    EXPECT_FALSE(IsInternetMailAddress(""));
    EXPECT_FALSE(IsInternetMailAddress("ann(at)example.org"));
}

TEST(MailAddress, TheRefusalTextNamesTheAddressAndWhatTheBookHolds) {
    const std::string text = RecordRefusedText("carl@example.org");
    EXPECT_NE(text.find("carl@example.org"), std::string::npos);
    EXPECT_NE(text.find("only the records written before it"), std::string::npos);
}
