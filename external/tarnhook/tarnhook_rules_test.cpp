// The stand-in bridge's call script, address book records and call log text.
#include "call_record.h"
#include "csv_record.h"
#include "script_rules.h"

#include <gtest/gtest.h>

namespace tarnhook {
namespace {

std::optional<int> Result(const char* script, const char* exportName, int callNumber) {
    return ScriptedResult(ParseScript(script), exportName, callNumber);
}

TEST(CallScript, APlainRuleSetsEveryCallOfItsExportOnly) {
    EXPECT_EQ(Result("InitNotesSession=1", "InitNotesSession", 1), 1);
    EXPECT_EQ(Result("InitNotesSession=1", "InitNotesSession", 7), 1);
    EXPECT_EQ(Result("InitNotesSession=1", "CloseNotesSession", 1), std::nullopt);
    EXPECT_EQ(Result("", "InitNotesSession", 1), std::nullopt);
}

TEST(CallScript, ANumberedRuleSetsOnlyThatCall) {
    const char* script = "InitNotesSession=1;AddNewAddressBookRecord#3=0;"
                         "InstallVoxtarionComponents=46";
    EXPECT_EQ(Result(script, "AddNewAddressBookRecord", 2), std::nullopt);
    EXPECT_EQ(Result(script, "AddNewAddressBookRecord", 3), 0);
    EXPECT_EQ(Result(script, "AddNewAddressBookRecord", 4), std::nullopt);
    EXPECT_EQ(Result(script, "InitNotesSession", 1), 1);
    EXPECT_EQ(Result(script, "InstallVoxtarionComponents", 1), 46);
}

TEST(CallScript, ANumberedRuleWinsOverAPlainRuleWhereverItStands) {
    EXPECT_EQ(Result("OpenAddressBook=5;OpenAddressBook#2=7", "OpenAddressBook", 2), 7);
    EXPECT_EQ(Result("OpenAddressBook#2=7;OpenAddressBook=5", "OpenAddressBook", 2), 7);
    EXPECT_EQ(Result("OpenAddressBook#2=7;OpenAddressBook=5", "OpenAddressBook", 1), 5);
}

TEST(CallScript, OfTwoRulesForTheSameCallsTheLastWins) {
    EXPECT_EQ(Result("DeleteAll=1;DeleteAll=2", "DeleteAll", 1), 2);
    EXPECT_EQ(Result("DeleteAll#1=1;DeleteAll#1=2", "DeleteAll", 1), 2);
}

TEST(CallScript, BlanksAndSignsAreAccepted) {
    const char* script = " DeleteAll = -3 ; CloseAddressBook #2 = +4 ;";
    EXPECT_EQ(Result(script, "DeleteAll", 1), -3);
    EXPECT_EQ(Result(script, "CloseAddressBook", 2), 4);
    EXPECT_EQ(Result("DeleteAll=-2147483648", "DeleteAll", 1), -2147483647 - 1);
}

TEST(CallScript, MalformedRulesAreSkippedAndTheOthersStillCount) {
    const std::vector<ScriptRule> rules =
        ParseScript("DeleteAll;=3;A=abc;B=1x;C#0=1;D#x=1;E#-1=1;F=99999999999;G=;;"
                    "InitNotesSession=2;");
    ASSERT_EQ(rules.size(), 1u);
    EXPECT_EQ(rules[0].exportName, "InitNotesSession");
    EXPECT_EQ(rules[0].callNumber, 0);
    EXPECT_EQ(rules[0].result, 2);
}

TEST(CallScript, ExportNamesMatchExactly) {
    EXPECT_EQ(Result("deleteall=1", "DeleteAll", 1), std::nullopt);
    EXPECT_EQ(Result("DeleteAllX=1", "DeleteAll", 1), std::nullopt);
}

TEST(AddressBookRecord, AFieldIsQuotedOnlyWhereItMustBe) {
    EXPECT_EQ(QuoteCsvField("Smith"), "Smith");
    EXPECT_EQ(QuoteCsvField(""), "");
    EXPECT_EQ(QuoteCsvField("van der Berg"), "van der Berg");
    EXPECT_EQ(QuoteCsvField("Smith, Jr."), "\"Smith, Jr.\"");
    EXPECT_EQ(QuoteCsvField("O\"Neil"), "\"O\"\"Neil\"");
    EXPECT_EQ(QuoteCsvField("\"\""), "\"\"\"\"\"\"");
    EXPECT_EQ(QuoteCsvField("two\r\nlines"), "\"two\r\nlines\"");
    EXPECT_EQ(QuoteCsvField("line\n"), "\"line\n\"");
    EXPECT_EQ(QuoteCsvField(" Anna"), "\" Anna\"");
    EXPECT_EQ(QuoteCsvField("Anna "), "\"Anna \"");
    EXPECT_EQ(QuoteCsvField("\tAnna"), "\"\tAnna\"");
}

TEST(AddressBookRecord, ARecordIsOneLineWithEmptyFieldsKept) {
    EXPECT_EQ(FormatCsvRecord({"Smith", "", "", "smith@example.com"}),
              "Smith,,,smith@example.com\r\n");
    EXPECT_EQ(FormatCsvRecord({"Smith, Jr.", "Al", "+1 555", "al@example.com"}),
              "\"Smith, Jr.\",Al,+1 555,al@example.com\r\n");
    EXPECT_STREQ(kAddressBookHeader, "LastName,FirstName,PhoneNumber,MailAddress\r\n");
}

TEST(CallLog, ACallWithoutArgumentsOrWindowsIsThreeLines) {
    CallRecord record;
    record.exportName = "InitNotesSession";
    record.result = -1;
    EXPECT_EQ(FormatCallRecord(record), "call InitNotesSession\nresult -1\nend\n");
}

TEST(CallLog, ArgumentsComeInOrderEachOnOneLine) {
    CallRecord record;
    record.exportName = "AddNewAddressBookRecord";
    record.args = {"Smith", "", "two\r\nlines", ArgText(nullptr), "1"};
    record.result = 1;
    EXPECT_EQ(FormatCallRecord(record), "call AddNewAddressBookRecord\n"
                                        "arg Smith\n"
                                        "arg \n"
                                        "arg two  lines\n"
                                        "arg \n"
                                        "arg 1\n"
                                        "result 1\n"
                                        "end\n");
}

TEST(CallLog, WindowsListTheirControlsAndTheProgressOfAProgressBar) {
    CallRecord record;
    record.exportName = "AddNewAddressBookRecord";
    WindowRecord progress;
    progress.handle = 0x1a2b;
    progress.className = "#32770";
    progress.left = -4;
    progress.top = 10;
    progress.right = 300;
    progress.bottom = 90;
    progress.title = "Address Book Download";
    ControlRecord text;
    text.id = 793;
    text.className = "Static";
    text.text = "Writing\nentries";
    ControlRecord bar;
    bar.id = 792;
    bar.className = "msctls_progress32";
    bar.isProgressBar = true;
    bar.position = 3;
    bar.low = 0;
    bar.high = 70000;
    progress.controls = {text, bar};
    WindowRecord status;
    status.handle = 0xFFFF0001;
    status.owner = 0x1a2b;
    status.className = "#32770";
    status.title = "";
    record.windows = {progress, status};

    EXPECT_EQ(FormatCallRecord(record),
              "call AddNewAddressBookRecord\n"
              "result 0\n"
              "window 1a2b owner=0 class=#32770 rect=-4,10,300,90 title=Address Book Download\n"
              "item 793 class=Static text=Writing entries\n"
              "item 792 class=msctls_progress32 text=\n"
              "progress 792 pos=3 min=0 max=70000\n"
              "window ffff0001 owner=1a2b class=#32770 rect=0,0,0,0 title=\n"
              "end\n");
}

} // namespace
} // namespace tarnhook
