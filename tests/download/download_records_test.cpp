// The records a download writes: how directory entries become address book records, and
// the Notes mail server the address book is opened on.
#include "download_session.h"

#include "download_notices.h"
#include "exit_status_check.h"
#include "product_keys.h"
#include "test_registry.h"

#include <gtest/gtest.h>

namespace {

using Args = std::vector<std::string>;

Args ArgsOf(const LoggedCall* call) {
    return call ? call->args : Args{"(no record)"};
}

TEST(DownloadRecords, EachEntryWithAnInternetAddressBecomesOneRecordOfItsFirstValues) {
    const TestbedServers& servers = TestbedServers::Get();
    DownloadRun run("records-people");
    run.UseDirectory(servers.Port("directory"), servers.Fact("base.people"));
    run.SeedAddressBook({"Old,Record,1,old.record@tarn.test"});
    ASSERT_TRUE(run.Start(false));
    run.FinishWithoutMessageBox();
    const std::vector<LoggedCall> records = run.Records();

    // sn, givenname, telephoneNumber, mail and the constant 1, in that order.
    EXPECT_EQ(ArgsOf(RecordWithMail(records, "mira.holt@tarn.test")),
              (Args{"Holt", "Mira", "+1 555 0100", "mira.holt@tarn.test", "1"}));
    // A missing attribute is an empty text in its place.
    EXPECT_EQ(ArgsOf(RecordWithMail(records, "quill@tarn.test")),
              (Args{"Quill", "", "+1 555 0101", "quill@tarn.test", "1"}));
    EXPECT_EQ(ArgsOf(RecordWithMail(records, "reception@tarn.test")),
              (Args{"", "Front", "+1 555 0102", "reception@tarn.test", "1"}));
    EXPECT_EQ(ArgsOf(RecordWithMail(records, "ona.vale@tarn.test")),
              (Args{"Vale", "Ona", "", "ona.vale@tarn.test", "1"}));
    EXPECT_EQ(ArgsOf(RecordWithMail(records, "helpdesk@tarn.test")),
              (Args{"", "", "", "helpdesk@tarn.test", "1"}));
    // Of several values only the first counts, for every attribute.
    EXPECT_EQ(ArgsOf(RecordWithMail(records, "tomas.brandt@tarn.test")),
              (Args{"Brandt", "Tomas", "+1 555 0103", "tomas.brandt@tarn.test", "1"}));
    EXPECT_EQ(RecordWithMail(records, "tom@tarn.test"), nullptr);
    // "@" anywhere makes an Internet address, the first and the last position included.
    EXPECT_NE(RecordWithMail(records, "@tarn.test"), nullptr);
    EXPECT_NE(RecordWithMail(records, "postmaster@"), nullptr);
    // Entries in nested organisational units are found.
    EXPECT_NE(RecordWithMail(records, "ilse.nord@tarn.test"), nullptr);
    EXPECT_NE(RecordWithMail(records, "jon.aske@tarn.test"), nullptr);
    // A mailbox number is not written, even when a later value is an Internet address.
    EXPECT_EQ(RecordWithMail(records, "4711"), nullptr);
    EXPECT_EQ(RecordWithMail(records, "4712"), nullptr);
    EXPECT_EQ(RecordWithMail(records, "lena.fox@tarn.test"), nullptr);
    // An entry without cn is not among the search's results.
    EXPECT_EQ(RecordWithMail(records, "nocn@tarn.test"), nullptr);
    EXPECT_EQ(records.size(), 10u) << CallNames(run.Calls());

    // Each mailbox number is traced in blue with its value; an entry without mail is not.
    const std::vector<std::string> blue = run.Traced(kBlue);
    EXPECT_TRUE(Contains(blue, "Voxtarion address:4711"));
    EXPECT_TRUE(Contains(blue, "Voxtarion address:4712"));
    int mailboxTraces = 0;
    for (const std::string& text : blue)
        mailboxTraces += text.rfind("Voxtarion address:", 0) == 0 ? 1 : 0;
    EXPECT_EQ(mailboxTraces, 2);
    EXPECT_TRUE(run.Traced(kRed).empty()) << ::testing::PrintToString(run.Traced(kRed));

    // The old content went first; the address book holds the records handed to the bridge.
    const std::vector<std::string> book = run.AddressBookRecords();
    EXPECT_EQ(book.size(), records.size()) << run.AddressBook();
    EXPECT_EQ(run.AddressBook().find("old.record@tarn.test"), std::string::npos);
    EXPECT_EQ(CallsNamed(run.Calls(), "DeleteAll").size(), 1u);
    EXPECT_TRUE(EndedWith(run.Program(), kBookRefreshed));
}

TEST(DownloadRecords, TheAddressBookIsOpenedOnTheMailServerThatNotesIniNames) {
    const TestbedServers& servers = TestbedServers::Get();
    DownloadRun run("records-mailserver");
    run.UseDirectory(servers.Port("directory"), servers.Fact("base.staff"));
    // Section and key are found without regard to letter case.
    run.WriteNotesIni("[notes]\r\nDirectory=" + run.Notes().dataDir +
                      "\r\nmailserver=CN=Mail01/O=Tarn\r\n");
    ASSERT_TRUE(run.Start(false));
    run.FinishWithoutMessageBox();

    const std::vector<LoggedCall> opened = CallsNamed(run.Calls(), "OpenAddressBook");
    ASSERT_EQ(opened.size(), 1u) << CallNames(run.Calls());
    EXPECT_EQ(opened[0].args, (Args{"CN=Mail01/O=Tarn", "1"}));
    EXPECT_TRUE(Contains(run.Traced(kBlue),
                         "Notes.ini path:" + run.Notes().iniPath + ", MailServer:CN=Mail01/O=Tarn"))
        << ::testing::PrintToString(run.Traced(kBlue));
}

TEST(DownloadRecords, WithoutMailServerInNotesIniTheAddressBookIsOpenedOnTheEmptyName) {
    const TestbedServers& servers = TestbedServers::Get();
    DownloadRun run("records-no-mailserver");
    run.UseDirectory(servers.Port("directory"), servers.Fact("base.staff"));
    ASSERT_TRUE(run.Start(false));
    run.FinishWithoutMessageBox();

    const std::vector<LoggedCall> opened = CallsNamed(run.Calls(), "OpenAddressBook");
    ASSERT_EQ(opened.size(), 1u) << CallNames(run.Calls());
    EXPECT_EQ(opened[0].args, (Args{"", "1"}));
    EXPECT_TRUE(
        Contains(run.Traced(kBlue), "Notes.ini path:" + run.Notes().iniPath + ", MailServer:"))
        << ::testing::PrintToString(run.Traced(kBlue));
    EXPECT_EQ(run.AddressBookRecords().size(),
              static_cast<size_t>(servers.Number("staff.entries")));
    EXPECT_TRUE(EndedWith(run.Program(), kBookRefreshed));
}

} // namespace

namespace {

// A bridge without AddNewAddressBookRecordW takes every text in the system code page.
TEST(DownloadRecords, OddValuesArriveWholeInTheSystemCodePageOrAreNamedWhenTheyCannot) {
    ASSERT_EQ(GetACP(), 1252u) << "the expected texts below are those of code page 1252";
    const TestbedServers& servers = TestbedServers::Get();
    DownloadRun run("records-odd-values");
    run.UseBridge("tarnhook_no_AddNewAddressBookRecordW.dll");
    const std::string base = servers.Fact("base.odd");
    run.UseDirectory(servers.Port("directory"), base);
    ASSERT_TRUE(run.Start(false));
    run.FinishWithoutMessageBox();
    const std::vector<LoggedCall> records = run.Records();

    // A value of 1 MiB in UTF-8: 524,288 times "é", one byte each in the code page.
    const LoggedCall* longValue = RecordWithMail(records, "long.value@tarn.test");
    ASSERT_NE(longValue, nullptr) << CallNames(run.Calls());
    EXPECT_EQ(longValue->args[0], std::string(524288, '\xE9'));
    // Of 1,000 values only the first is written.
    EXPECT_EQ(ArgsOf(RecordWithMail(records, "many.values@tarn.test")),
              (Args{"Values", "", "", "many.values@tarn.test", "1"}));
    // Letters the code page has arrive as its bytes, in the address too.
    EXPECT_EQ(ArgsOf(RecordWithMail(records, "zo\xEB.m\xFCller@tarn.test")),
              (Args{"M\xFCller", "Zo\xEB", "+1 555 0300", "zo\xEB.m\xFCller@tarn.test", "1"}));
    // Letters it lacks become "?" in names, whole characters each ...
    EXPECT_EQ(ArgsOf(RecordWithMail(records, "yamada@tarn.test")),
              (Args{"??", "??", "", "yamada@tarn.test", "1"}));
    // ... but an address that would change is not written, and the entry is named.
    EXPECT_EQ(records.size(), 4u) << CallNames(run.Calls());
    EXPECT_EQ(run.Traced(kRed),
              std::vector<std::string>{UnwritableMailText("cn=Yamada Hanako," + base)});
    EXPECT_EQ(run.AddressBookRecords().size(), records.size()) << "records lost on the way";
    EXPECT_TRUE(EndedWith(run.Program(), kBookIncomplete)) << "an entry was left out";

    // Such a book is never whole: each run names the entry again. Its count still guards it.
    SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "ShrinkLimit", "50");
    ASSERT_TRUE(run.Start(false));
    run.FinishWithoutMessageBox();
    EXPECT_EQ(LastRunTraced(run, kRed),
              std::vector<std::string>{UnwritableMailText("cn=Yamada Hanako," + base)});
    for (const std::string& line : LastRunTraced(run, kBlue))
        EXPECT_NE(line.rfind("ShrinkLimit is 50, but", 0), 0u) << line;
    EXPECT_TRUE(EndedWith(run.Program(), kBookIncomplete));
}

} // namespace
