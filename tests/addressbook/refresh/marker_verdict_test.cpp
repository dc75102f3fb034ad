#include "refresh/marker_verdict.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint64_t kNow = 400 * kTicksPerDay;

TEST(MarkerVerdictJudgement, OnlyTheSameMarkerOfTheSameServerAndSearchLeavesTheBookAlone) {
    const std::string here = "slapd\ndc=tarn,dc=test\nldap:389\nou=People,dc=tarn,dc=test";
    const std::string kept = KeptMarker("csn", here, "20261209230338.664398Z#000000#000#000000");
    LastRefresh last;
    last.digest = "d";
    last.marker = kept;
    last.records = 5;
    last.time = kNow - kTicksPerDay;
    RefreshRule rule;
    rule.changedOnly = true;
    const struct {
        const char* what;
        std::string marker;
        MarkerVerdict verdict;
    } cases[] = {
        {"the same marker", kept, MarkerVerdict::Unchanged},
        {"a marker that moved", KeptMarker("csn", here, "20261209230344.259795Z#000000#000#000000"),
         MarkerVerdict::Moved},
        {"another search base",
         KeptMarker("csn", here + "x", "20261209230338.664398Z#000000#000#000000"),
         MarkerVerdict::Elsewhere},
        {"another family, the same value",
         KeptMarker("usn", here, "20261209230338.664398Z#000000#000#000000"),
         MarkerVerdict::Elsewhere},
        {"no marker read", "", MarkerVerdict::Unreadable},
    };
    for (const auto& test : cases)
        EXPECT_EQ(JudgeMarker(rule, &last, test.marker, kNow), test.verdict) << test.what;

    EXPECT_EQ(KeptMarkerValue(kept, "csn", here), "20261209230338.664398Z#000000#000#000000");
    EXPECT_EQ(KeptMarkerValue(kept, "csn", here + "x"), "");
    EXPECT_EQ(KeptMarkerValue(kept, "dirsync", here), "");
    EXPECT_EQ(KeptMarker("csn", here, ""), "") << "no value, no marker";
}

TEST(MarkerVerdictJudgement, TheRecordsOwnChecksComeFirst) {
    const std::string kept = KeptMarker("usn", "ds", "userroot=7");
    RefreshRule rule;
    rule.changedOnly = true;
    rule.days = 7;
    LastRefresh last;
    last.digest = "d";
    last.marker = kept;
    last.time = kNow - 7 * kTicksPerDay;
    EXPECT_EQ(JudgeMarker(rule, &last, kept, kNow), MarkerVerdict::Due) << "RefreshDays";
    last.time = kNow + 1;
    EXPECT_EQ(JudgeMarker(rule, &last, kept, kNow), MarkerVerdict::Due) << "from the future";
    rule.days = 0;
    last.time = 0;
    EXPECT_EQ(JudgeMarker(rule, &last, kept, kNow), MarkerVerdict::Unchanged) << "never due";
    EXPECT_EQ(JudgeMarker(rule, nullptr, kept, kNow), MarkerVerdict::Unknown);
    last.digest.clear();
    EXPECT_EQ(JudgeMarker(rule, &last, kept, kNow), MarkerVerdict::Unknown)
        << "a record emptied because it could not be removed";
    last.digest = "d";
    last.marker.clear();
    EXPECT_EQ(JudgeMarker(rule, &last, kept, kNow), MarkerVerdict::NotKept);
}

TEST(RefreshDelayValue, IsReadAsSecondsUpToAnHourAndSpreadOverThem) {
    const struct {
        const char* text;
        unsigned long seconds;
        bool problem;
    } cases[] = {{"", 0, false},        {"0", 0, false},     {"600", 600, false},
                 {"3600", 3600, false}, {"3601", 0, true},   {"-5", 0, true},
                 {"10 s", 0, true},     {"999999", 0, true}, {"one minute", 0, true}};
    for (const auto& test : cases) {
        std::string problem;
        EXPECT_EQ(ParseRefreshDelay(test.text, problem), test.seconds) << test.text;
        EXPECT_EQ(!problem.empty(), test.problem) << test.text << ": " << problem;
    }
    EXPECT_EQ(ChosenDelay(0, 12345), 0u);
    EXPECT_EQ(ChosenDelay(10, 0), 0u);
    EXPECT_EQ(ChosenDelay(10, 10), 10u);
    EXPECT_EQ(ChosenDelay(10, 11), 0u);
    EXPECT_EQ(ChosenDelay(3600, 0xFFFFFFFFu), 0xFFFFFFFFu % 3601);
}

} // namespace
