#include "environment_block.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using driver::ApplyEnvironmentChanges;
using driver::EnvironmentBlock;
using driver::EnvironmentChanges;
using Entries = std::vector<std::string>;

TEST(EnvironmentChanges, SetReplacesAVariableWhateverTheCaseOfItsName) {
    EnvironmentChanges changes;
    changes["path"] = "Z:\\bin";
    EXPECT_EQ(ApplyEnvironmentChanges({"PATH=C:\\windows", "TEMP=C:\\temp"}, changes),
              (Entries{"path=Z:\\bin", "TEMP=C:\\temp"}));
}

TEST(EnvironmentChanges, RemoveDropsTheVariableAndLeavesTheOthers) {
    EnvironmentChanges changes;
    changes["TARN_TRACE"] = std::nullopt;
    changes["NOT_THERE"] = std::nullopt;
    EXPECT_EQ(ApplyEnvironmentChanges({"A=1", "Tarn_Trace=x", "B=2"}, changes),
              (Entries{"A=1", "B=2"}));
}

TEST(EnvironmentChanges, AVariableIsNotTakenForAnotherThatBeginsLikeIt) {
    EnvironmentChanges changes;
    changes["TARN"] = std::nullopt;
    EXPECT_EQ(ApplyEnvironmentChanges({"TARN_BIN_DIR=/b", "TARN=1"}, changes),
              (Entries{"TARN_BIN_DIR=/b"}));
}

TEST(EnvironmentChanges, EntriesComeSortedWithoutRegardToCaseAndDriveFoldersStay) {
    EnvironmentChanges changes;
    changes["b"] = "2";
    EXPECT_EQ(ApplyEnvironmentChanges({"C=3", "=Z:=Z:\\tmp", "a=1"}, changes),
              (Entries{"=Z:=Z:\\tmp", "a=1", "b=2", "C=3"}));
}

TEST(EnvironmentBlock, EachEntryEndsWithANulAndTheBlockWithAnother) {
    EXPECT_EQ(EnvironmentBlock({"A=1", "B=2"}), std::string("A=1\0B=2\0\0", 9));
    EXPECT_EQ(EnvironmentBlock({}), std::string("\0\0", 2));
}

TEST(CurrentEnvironment, HoldsTheVariablesOfThisProcess) {
    ASSERT_TRUE(SetEnvironmentVariableA("TARN_DRIVER_PROBE_VALUE", "seen"));
    const Entries entries = driver::CurrentEnvironment();
    EXPECT_NE(std::find(entries.begin(), entries.end(), "TARN_DRIVER_PROBE_VALUE=seen"),
              entries.end());
}

} // namespace
