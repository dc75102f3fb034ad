#include "notes_ini_list.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

struct ExampleRow {
    const char* before;
    const char* afterAdd;
    const char* afterRemove;
};

// The documented examples for NSF_HOOKS; the last row keeps no comma behind "a".
const ExampleRow kExamples[] = {
    {"", "tarnhook", ""},
    {"a", "a,tarnhook", "a"},
    {"tarnhook", "tarnhook", ""},
    {"a,tarnhook", "a,tarnhook", "a"},
    {"tarnhook,b", "tarnhook,b", "b"},
    {"a,tarnhook,b", "a,tarnhook,b", "a,b"},
    {"a, tarnhook", "a, tarnhook", "a"},
};

TEST(NotesIniList, EveryExampleRowComesOutAsDocumented) {
    for (const ExampleRow& row : kExamples) {
        EXPECT_EQ(AddListEntry(row.before, "tarnhook"), row.afterAdd)
            << "adding tarnhook to \"" << row.before << "\"";
        EXPECT_EQ(RemoveListEntry(row.before, "tarnhook"), row.afterRemove)
            << "removing tarnhook from \"" << row.before << "\"";
    }
}

TEST(NotesIniList, AnEntryThatMerelyContainsTheNameIsLeftAlone) {
    EXPECT_EQ(RemoveListEntry("nottarnhook,b", "tarnhook"), "nottarnhook,b");
    EXPECT_EQ(RemoveListEntry("a,tarnhooks", "tarnhook"), "a,tarnhooks");
    EXPECT_EQ(RemoveListEntry("xtarnpwdx", "tarnpwd"), "xtarnpwdx");
    EXPECT_EQ(AddListEntry("nottarnhook,b", "tarnhook"), "nottarnhook,b,tarnhook");
    EXPECT_EQ(AddListEntry("tarnhook2", "tarnhook"), "tarnhook2,tarnhook");
    // The whole entry is found even when a longer one comes first.
    EXPECT_EQ(RemoveListEntry("nottarnhook,tarnhook,b", "tarnhook"), "nottarnhook,b");
}

TEST(NotesIniList, BlanksAroundAnEntryAreIgnoredAndGoWithItsSeparator) {
    EXPECT_EQ(AddListEntry("a, tarnhook ,b", "tarnhook"), "a, tarnhook ,b");
    EXPECT_EQ(AddListEntry("a,\ttarnhook", "tarnhook"), "a,\ttarnhook");
    EXPECT_EQ(RemoveListEntry("a, tarnhook, b", "tarnhook"), "a, b");
    EXPECT_EQ(RemoveListEntry("a , tarnhook , b", "tarnhook"), "a , b");
    EXPECT_EQ(RemoveListEntry(" tarnhook , b", "tarnhook"), "b");
    EXPECT_EQ(RemoveListEntry("  tarnhook  ", "tarnhook"), "");
    EXPECT_EQ(RemoveListEntry("a,\ttarnhook\t,b", "tarnhook"), "a\t,b");
}

TEST(NotesIniList, LetterCaseCounts) {
    EXPECT_EQ(AddListEntry("TARNHOOK", "tarnhook"), "TARNHOOK,tarnhook");
    EXPECT_EQ(RemoveListEntry("TARNHOOK", "tarnhook"), "TARNHOOK");
    EXPECT_EQ(RemoveListEntry("a,TarnPwd,tarnpwd", "tarnpwd"), "a,TarnPwd");
}

TEST(NotesIniList, OnlyTheFirstEqualEntryIsRemoved) {
    EXPECT_EQ(RemoveListEntry("tarnhook,a,tarnhook", "tarnhook"), "a,tarnhook");
    EXPECT_EQ(RemoveListEntry("a,tarnhook,tarnhook", "tarnhook"), "a,tarnhook");
}

TEST(NotesIniList, EmptyEntriesOfAListStayWhereTheyAre) {
    EXPECT_EQ(RemoveListEntry("a,,tarnhook", "tarnhook"), "a,");
    EXPECT_EQ(RemoveListEntry(",tarnhook,b", "tarnhook"), ",b");
    EXPECT_EQ(AddListEntry("a,,b", "tarnhook"), "a,,b,tarnhook");
}

// Over 2,000 characters of other products' entries, some with our name inside them,
// separated by commas with and without blanks; ours follows the 100th when asked.
std::string LongList(bool withOurs) {
    std::string list;
    for (int i = 0; i < 200; ++i) {
        if (i > 0)
            list += i % 3 == 0 ? ", " : ",";
        list += "lib" + std::to_string(1000 + i) + (i % 7 == 0 ? "tarnhook" : "x");
        if (withOurs && i == 100)
            list += ",tarnhook";
    }
    return list;
}

TEST(NotesIniList, ALongListIsEditedWithoutLosingAByte) {
    const std::string without = LongList(false);
    const std::string with = LongList(true);
    ASSERT_GT(without.size(), 2000u);

    EXPECT_EQ(RemoveListEntry(with, "tarnhook"), without);
    EXPECT_EQ(AddListEntry(without, "tarnhook"), without + ",tarnhook");
    EXPECT_EQ(AddListEntry(with, "tarnhook"), with);
    EXPECT_EQ(RemoveListEntry(without, "tarnhook"), without);
}

TEST(NotesIniList, TwoEditsGiveWhatOneGives) {
    const std::vector<std::string> lists = {"",
                                            "a",
                                            "tarnhook",
                                            "a, tarnhook",
                                            "tarnhook ,b",
                                            "x,TARNHOOK,nottarnhook",
                                            LongList(true)};
    for (const std::string& list : lists) {
        for (bool add : {true, false}) {
            const std::string once = EditListEntry(list, "tarnhook", add);
            EXPECT_EQ(EditListEntry(once, "tarnhook", add), once)
                << (add ? "adding to \"" : "removing from \"") << list << "\"";
        }
    }
}

TEST(NotesIniList, NegativeModesRemoveBothEntries) {
    for (int mode : {INT_MIN, -46, -2, -1}) {
        const ExtensionRegistration r = RegistrationForMode(mode);
        EXPECT_FALSE(r.hooks) << "mode " << mode;
        EXPECT_FALSE(r.addins) << "mode " << mode;
    }
}

TEST(NotesIniList, ModesTwoFourFortyFiveAndFortySixRegisterBothEntries) {
    for (int mode : {2, 4, 45, 46}) {
        const ExtensionRegistration r = RegistrationForMode(mode);
        EXPECT_TRUE(r.hooks) << "mode " << mode;
        EXPECT_TRUE(r.addins) << "mode " << mode;
    }
}

TEST(NotesIniList, EveryOtherModeRegistersTheHookLibraryOnly) {
    for (int mode : {0, 1, 3, 5, 6, 44, 47, 100, INT_MAX}) {
        const ExtensionRegistration r = RegistrationForMode(mode);
        EXPECT_TRUE(r.hooks) << "mode " << mode;
        EXPECT_FALSE(r.addins) << "mode " << mode;
    }
}

} // namespace
