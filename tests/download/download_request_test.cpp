// What the administrator chooses the address book to hold: the search filter and the attribute
// of each field, every script whole at a bridge that takes UTF-16, the guard against a book
// that shrinks by mistake, and one run at a time.
#include "download_session.h"

#include "download_notices.h"
#include "lock_holder.h"
#include "exit_status_check.h"
#include "message_box.h"
#include "product_keys.h"
#include "test_registry.h"
#include "timing.h"

#include <windows.h>
#include <shlobj.h>
#include <winldap.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

const char kOldRecord[] = "Old,Record,1,old.record@tarn.test";

// Whether the last run traced a line of that colour that begins with start.
bool TracedStarting(const DownloadRun& run, DWORD colour, const std::string& start) {
    const std::vector<std::string> lines = LastRunTraced(run, colour);
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.rfind(start, 0) == 0; });
}

void SetBookSetting(const char* name, const std::string& value) {
    SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, name, value);
}

// A filter of clauses clauses for the people to leave out, none of whom exists, around want.
std::string FilterLeavingOut(const std::string& want, int clauses) {
    std::string filter = "(&" + want;
    for (int i = 0; i < clauses; ++i)
        filter += "(!(cn=Nobody Left Out " + std::to_string(i) + "))";
    return filter + ")";
}

// The search request's content from the size limit on: the limits, typesOnly, the filter and
// the attribute list, as the download has always sent them: "cn" present, and givenname, sn,
// telephoneNumber, mail.
std::string TodaysSearchTail() {
    std::string attributes;
    for (const std::string name : {"givenname", "sn", "telephoneNumber", "mail"})
        attributes += std::string{'\x04', static_cast<char>(name.size())} + name;
    return std::string("\x02\x01\x00\x02\x01\x00\x01\x01\x00\x87\x02"
                       "cn",
                       13) +
           std::string{'\x30', static_cast<char>(attributes.size())} + attributes;
}

// Starts a silent run with a slow bridge and kills it once it has written its first record.
void KillWhileWriting(DownloadRun& run) {
    driver::Process killed;
    run.UseSlowBridge(2000);
    run.ForgetCalls();
    ASSERT_TRUE(run.StartSilentCopy(killed));
    ASSERT_TRUE(driver::PollUntil([&run] { return !run.Records().empty(); }, kRunTimeoutMs));
    killed.Kill();
    run.UseSlowBridge(0);
}

TEST(DownloadRequest, TheFilterAndTheAttributesChooseWhoAndWhatTheBookTakes) {
    const TestbedServers& servers = TestbedServers::Get();
    const std::string base = servers.Fact("base.scripts");
    const std::vector<std::string> everyone = {"anna.mueller@tarn.test", "eleni.pappa@tarn.test",
                                               "lukasz.nowak@tarn.test", "yamada.jiro@tarn.test"};
    const std::vector<std::string> withMobile = {"anna.mueller@tarn.test", "eleni.pappa@tarn.test",
                                                 "lukasz.nowak@tarn.test"};
    const struct Case {
        const char* name; // the setting, "" for none
        std::string value;
        std::vector<std::string> mails;
        const char* annasPhone;
    } cases[] = {
        {"", "", everyone, "+1 555 0400"},
        {kPhoneAttributeValue, "mobile", everyone, "+1 555 0410"},
        {kSearchFilterValue, "(mobile=*)", withMobile, "+1 555 0400"},
        {kSearchFilterValue, "mobile=*", withMobile, "+1 555 0400"},
        // Far longer than a path: a filter is read whole.
        {kSearchFilterValue, FilterLeavingOut("(mobile=*)", 40), withMobile, "+1 555 0400"},
    };
    for (const Case& c : cases) {
        const std::string what = std::string(c.name) + "=" + c.value.substr(0, 40);
        DownloadRun run("request-choice");
        RecordingRelay relay(servers.Port("directory"));
        run.UseDirectory(relay.Port(), base);
        if (*c.name)
            SetBookSetting(c.name, c.value);
        ASSERT_TRUE(run.Start(false)) << what;
        run.FinishWithoutMessageBox();
        EXPECT_TRUE(EndedWith(run.Program(), kBookRefreshed)) << what;
        const std::vector<LoggedCall> records = run.Records();
        EXPECT_EQ(SortedMailsOf(records), c.mails) << what;
        const LoggedCall* anna = RecordWithMail(records, "anna.mueller@tarn.test");
        ASSERT_NE(anna, nullptr) << what;
        EXPECT_EQ(anna->args[2], c.annasPhone) << what;
        if (*c.name)
            continue;
        // Without the settings the search on the wire is the one the download always sent.
        const std::vector<LdapSearchRequest> searches = LdapSearches(relay.Sent());
        ASSERT_EQ(searches.size(), 1u);
        const std::string& content = searches[0].content;
        const std::string tail = TodaysSearchTail();
        ASSERT_GE(content.size(), tail.size());
        EXPECT_EQ(content.substr(content.size() - tail.size()), tail);
    }
}

TEST(DownloadRequest, ABadFilterOrAttributeEndsTheRunBeforeAnythingIsWritten) {
    const TestbedServers& servers = TestbedServers::Get();
    const std::string tooLong = FilterLeavingOut("(mail=*)", 200);
    const struct Case {
        const char* name;
        std::string value;
        std::string red; // how the one red line begins
    } cases[] = {
        {kSearchFilterValue, "(cn=*", "SearchFilter holds \"(cn=*\""},
        {kPhoneAttributeValue, "mobile phone", "PhoneAttribute holds \"mobile phone\""},
        {kLastNameAttributeValue, "1sn", "LastNameAttribute holds \"1sn\""},
        {kMailAttributeValue, "mail;", "MailAttribute holds \"mail;\""},
        {kMailAttributeValue, "0.9.2342.19200300.100.1.3",
         "MailAttribute holds \"0.9.2342.19200300.100.1.3\""},
        // A filter that cannot be read never widens the book to every entry.
        {kSearchFilterValue, tooLong,
         "A SearchFilter is set but cannot be read (the value of the product key is longer than "
         "4095 characters)"},
    };
    ASSERT_GT(tooLong.size(), kFilterBufferSize);
    for (const Case& c : cases) {
        DownloadRun run("request-refused");
        run.UseDirectory(servers.Port("directory"), servers.Fact("base.scripts"));
        SetBookSetting(c.name, c.value);
        run.SeedAddressBook({kOldRecord});
        const std::string before = run.AddressBook();
        ASSERT_TRUE(run.Start(false)) << c.name;
        run.FinishWithoutMessageBox();

        EXPECT_TRUE(EndedWith(run.Program(), kBookUnreachable)) << c.name;
        EXPECT_EQ(run.AddressBook(), before) << c.name;
        EXPECT_TRUE(CallsNamed(run.Calls(), "DeleteAll").empty()) << c.name;
        const std::vector<std::string> red = run.Traced(kRed);
        ASSERT_EQ(red.size(), 1u) << c.name << ": " << ::testing::PrintToString(red);
        EXPECT_EQ(red[0].rfind(c.red, 0), 0u) << red[0].substr(0, 200);
        // The run's event names the server it would have asked.
        LoggedEvent event;
        ASSERT_TRUE(LeftOneEvent(run.Program(), event)) << c.name;
        ASSERT_FALSE(event.strings.empty()) << c.name;
        EXPECT_EQ(event.strings[0], "127.0.0.1:" + std::to_string(servers.Port("directory")))
            << c.name;
    }
}

// A less trusted layer never widens what a more trusted one chose: an empty filter is no
// filter, and a filter outside the code page reaches the server as it is stored (UTF-8 on the
// wire), whether a policy or the user's key holds it.
TEST(DownloadRequest, TheFilterOfTheMostTrustedLayerReachesTheServerAsStored) {
    const TestbedServers& servers = TestbedServers::Get();
    const std::vector<std::string> everyone = {"anna.mueller@tarn.test", "eleni.pappa@tarn.test",
                                               "lukasz.nowak@tarn.test", "yamada.jiro@tarn.test"};
    const std::string lodz = u8"(!(l=\u0141\u00f3d\u017a))";
    const std::string lukasz = u8"(givenName=\u0141ukasz)";
    const struct Case {
        HKEY root;          // where the filter lies: a product key, or the computer policy
        const char* key;    // ... its key
        std::string filter; // UTF-8
        std::string onWire; // bytes the search request must hold
        std::vector<std::string> mails;
    } cases[] = {
        // The user's empty filter beside the machine's: the machine's decides.
        {HKEY_LOCAL_MACHINE,
         TARN_NOTES_KEY,
         "(mobile=*)",
         "mobile",
         {"anna.mueller@tarn.test", "eleni.pappa@tarn.test", "lukasz.nowak@tarn.test"}},
        {HKEY_LOCAL_MACHINE, TARN_POLICY_NOTES_KEY, lodz, u8"\u0141\u00f3d\u017a", everyone},
        {HKEY_CURRENT_USER, TARN_NOTES_KEY, lukasz, u8"\u0141ukasz", {"lukasz.nowak@tarn.test"}},
    };
    for (const Case& c : cases) {
        DownloadRun run("request-layers");
        RecordingRelay relay(servers.Port("directory"));
        run.UseDirectory(relay.Port(), servers.Fact("base.scripts"));
        if (c.root != HKEY_CURRENT_USER)
            SetBookSetting(kSearchFilterValue, "");
        SetRegistryUtf8(c.root, c.key, kSearchFilterValue, c.filter);
        ASSERT_TRUE(run.Start(false)) << c.filter;
        run.FinishWithoutMessageBox();
        EXPECT_TRUE(EndedWith(run.Program(), kBookRefreshed)) << c.filter;
        EXPECT_EQ(SortedMailsOf(run.Records()), c.mails) << c.filter;
        const std::vector<LdapSearchRequest> searches = LdapSearches(relay.Sent());
        ASSERT_EQ(searches.size(), 1u) << c.filter;
        EXPECT_NE(searches[0].content.find(c.onWire), std::string::npos) << c.filter;
    }
}

// A policy value that decides who or what is in the book and cannot be used ends the run before
// any connection, in either mode: no less trusted layer takes its place.
TEST(DownloadRequest, APolicyValueThatCannotBeUsedNeverGivesWayToALessTrustedOne) {
    const TestbedServers& servers = TestbedServers::Get();
    const struct Case {
        const char* name;
        DWORD type;
        std::string bytes;
        const char* why; // the end of the report's first sentence
        bool interactive;
    } cases[] = {
        {kSearchFilterValue, REG_DWORD, std::string("\x01\0\0\0", 4), "not REG_DWORD.", false},
        {kSearchFilterValue, REG_DWORD, std::string("\x01\0\0\0", 4), "not REG_DWORD.", true},
        {kSearchFilterValue, REG_SZ, std::string(kFilterBufferSize, 'f'),
         "longer than 4095 characters.", false},
        {kMailAttributeValue, REG_BINARY, "mail", "not REG_BINARY.", false},
        {kHostNameValue, REG_MULTI_SZ, std::string("ldap\0\0", 6), "not REG_MULTI_SZ.", false},
    };
    for (const Case& c : cases) {
        const std::string what = std::string(c.name) + (c.interactive ? " (interactive)" : "");
        DownloadRun run("request-policy-refused");
        RecordingRelay relay(servers.Port("directory"));
        run.UseDirectory(relay.Port(), servers.Fact("base.scripts"));
        SetBookSetting(kSearchFilterValue, "(mobile=*)");
        SetRegistryBytes(HKEY_LOCAL_MACHINE, TARN_POLICY_NOTES_KEY, c.name, c.type, c.bytes);
        run.SeedAddressBook({kOldRecord});
        const std::string before = run.AddressBook();
        ASSERT_TRUE(run.Start(c.interactive)) << what;
        const std::string report = std::string("The policy value ") + c.name +
                                   " under HKEY_LOCAL_MACHINE\\" TARN_POLICY_NOTES_KEY
                                   " cannot be used: ";
        if (c.interactive) {
            const driver::MessageBoxInfo box = driver::AnswerMessageBox(run.Program(), IDOK);
            EXPECT_EQ(box.text.rfind(report, 0), 0u) << box.text;
            run.WaitForExit();
        } else {
            run.FinishWithoutMessageBox();
        }
        EXPECT_TRUE(EndedWith(run.Program(), kBookUnreachable)) << what;
        EXPECT_EQ(run.AddressBook(), before) << what;
        EXPECT_EQ(relay.Connections(), 0) << what;
        const std::vector<std::string> red = run.Traced(kRed);
        ASSERT_EQ(red.size(), 1u) << what << ": " << ::testing::PrintToString(red);
        EXPECT_EQ(red[0].rfind(report, 0), 0u) << red[0];
        EXPECT_NE(red[0].find(c.why), std::string::npos) << red[0];
        LoggedEvent event;
        ASSERT_TRUE(LeftOneEvent(run.Program(), event)) << what;
        EXPECT_EQ(event.id & 0xFFFF, 1200u) << what;
    }
}

TEST(DownloadRequest, EveryScriptArrivesWholeAtABridgeThatTakesUtf16) {
    const TestbedServers& servers = TestbedServers::Get();
    DownloadRun run("request-scripts");
    run.UseDirectory(servers.Port("directory"), servers.Fact("base.scripts"));
    ASSERT_TRUE(run.Start(false));
    run.FinishWithoutMessageBox();
    EXPECT_TRUE(EndedWith(run.Program(), kBookRefreshed));

    const std::vector<LoggedCall> records = run.Records();
    ASSERT_EQ(records.size(), 4u) << CallNames(run.Calls());
    EXPECT_EQ(records[0].name, kRecordExport);
    // The call log and the book hold the bridge's UTF-16 texts in UTF-8.
    const struct {
        const char* mail;
        const char* lastName;
        const char* firstName;
    } people[] = {
        {"anna.mueller@tarn.test", u8"Müller", "Anna"},
        {"lukasz.nowak@tarn.test", "Nowak", u8"Łukasz"},
        {"eleni.pappa@tarn.test", u8"Παππά", u8"Ελένη"},
        {"yamada.jiro@tarn.test", u8"山田", u8"次郎"},
    };
    const std::vector<std::string> book = run.AddressBookRecords();
    for (const auto& person : people) {
        const LoggedCall* record = RecordWithMail(records, person.mail);
        ASSERT_NE(record, nullptr) << person.mail;
        EXPECT_EQ(record->args[0], person.lastName) << person.mail;
        EXPECT_EQ(record->args[1], person.firstName) << person.mail;
        EXPECT_TRUE(Contains(book, std::string(person.lastName) + "," + person.firstName + "," +
                                       record->args[2] + "," + person.mail))
            << ::testing::PrintToString(book);
    }
    EXPECT_TRUE(run.Traced(kRed).empty()) << ::testing::PrintToString(run.Traced(kRed));
}

TEST(DownloadRequest, ABookThatWouldShrinkBeyondShrinkLimitIsLeftAsItWas) {
    const TestbedServers& servers = TestbedServers::Get();
    const std::string base = servers.Fact("base.shrink");
    const unsigned long all = servers.Number("shrink.entries");
    const unsigned long few = servers.Number("shrink.few");
    OwnSlapd slapd("request-shrink", "--writable");
    DownloadRun run("request-shrink");
    run.UseDirectory(slapd.Port(), base);
    SetBookSetting(kShrinkLimitValue, "50");
    ASSERT_TRUE(run.Start(false));
    run.FinishWithoutMessageBox(2 * kRunTimeoutMs);
    ASSERT_TRUE(EndedWith(run.Program(), kBookRefreshed));
    ASSERT_EQ(run.AddressBookRecords().size(), all);
    EXPECT_TRUE(TracedStarting(run, kBlue, "ShrinkLimit is 50, but no complete run"))
        << "the first run has no count to compare with, and says so";

    // A run killed while it writes leaves a partial book, and the count of the run before.
    KillWhileWriting(run);
    const std::string partial = run.AddressBook();
    ASSERT_LT(run.AddressBookRecords().size(), all);

    // A change on the server's side hides all but a few people from the download.
    {
        DirectoryAdmin admin(slapd.Port(), "cn=admin,dc=shrink,dc=test", "secret");
        admin.Rename("ou=Many," + base, "ou=Many", "dc=shrink,dc=test");
    }
    run.ForgetCalls();
    ASSERT_TRUE(run.Start(false));
    run.FinishWithoutMessageBox();
    EXPECT_EQ(run.AddressBook(), partial);
    EXPECT_TRUE(CallsNamed(run.Calls(), "DeleteAll").empty());
    // The second run's own red line: the book's counts and the setting.
    const std::vector<std::string> red = run.Traced(kRed);
    ASSERT_FALSE(red.empty());
    const std::string notice = red.back();
    EXPECT_EQ(notice.rfind("The directory gave " + GroupedCount(few) + " records, fewer than 50% " +
                               "of the " + GroupedCount(all) + " that the whole refresh of ",
                           0),
              0u)
        << notice;
    EXPECT_TRUE(EndedWith(run.Program(), kBookUnchanged));
    LoggedEvent event;
    ASSERT_TRUE(LeftOneEvent(run.Program(), event));
    EXPECT_EQ(event.id & 0xFFFF, 1101u);
    EXPECT_EQ(event.strings, std::vector<std::string>{notice});

    // Another search base or attribute is never held back, and a blue line says why.
    const std::function<void()> elsewhere[] = {
        [&] { SetBookSetting(kPhoneAttributeValue, "mobile"); },
        [&] { run.UseDirectory(slapd.Port(), servers.Fact("base.shrink.few")); },
    };
    for (const auto& change : elsewhere) {
        change();
        ASSERT_TRUE(run.Start(false));
        run.FinishWithoutMessageBox();
        EXPECT_TRUE(EndedWith(run.Program(), kBookRefreshed));
        EXPECT_EQ(run.AddressBookRecords().size(), few);
        EXPECT_TRUE(TracedStarting(run, kBlue, "ShrinkLimit is 50, but the count on record"));
    }
}

// A lock held as a run of this user holds it, its file saying what content says; share: what
// the holder shares (an earlier version shared nothing).
class HeldLock {
  public:
    HeldLock(const std::string& content, DWORD share) {
        const std::string path = LockPath();
        file_ = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        EXPECT_NE(file_, INVALID_HANDLE_VALUE) << path << ": " << GetLastError();
        DWORD written = 0;
        EXPECT_TRUE(WriteFile(file_, content.data(), static_cast<DWORD>(content.size()), &written,
                              nullptr));
    }
    ~HeldLock() {
        if (file_ != INVALID_HANDLE_VALUE)
            CloseHandle(file_);
    }
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;

    static std::string LockPath() {
        char folder[MAX_PATH] = "";
        SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, folder);
        std::string path = std::string(folder) + "\\VEXMAR";
        CreateDirectoryA(path.c_str(), nullptr);
        path += "\\Voxtarion";
        CreateDirectoryA(path.c_str(), nullptr);
        return path + "\\TARNBOOK.lock";
    }

  private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

// What the lock's file says, read as another run reads it.
std::string ReadLockFile() {
    HANDLE file = CreateFileA(HeldLock::LockPath().c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    char text[128] = "";
    DWORD read = 0;
    if (file != INVALID_HANDLE_VALUE) {
        ReadFile(file, text, sizeof text, &read, nullptr);
        CloseHandle(file);
    }
    return std::string(text, read);
}

// A holder started minutes ago that may hold the lock for boundSeconds.
std::string HolderText(unsigned long minutes, unsigned long boundSeconds) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    LockHolder holder;
    holder.pid = 4242;
    holder.start = (static_cast<std::uint64_t>(now.dwHighDateTime) << 32 | now.dwLowDateTime) -
                   minutes * 600000000ull;
    holder.boundSeconds = boundSeconds;
    return LockHolderText(holder);
}

TEST(DownloadRequest, ASecondRunWritesNothingWhileTheFirstRefreshes) {
    const TestbedServers& servers = TestbedServers::Get();
    DownloadRun run("request-one-run");
    run.UseDirectory(servers.Port("directory"), servers.Fact("base.staff"));
    run.UseSlowBridge(500);
    ASSERT_TRUE(run.Start(false));
    // The first run holds the lock from its start; once it writes, it surely has started.
    ASSERT_TRUE(driver::PollUntil([&run] { return !run.Records().empty(); }, kRunTimeoutMs));
    driver::Process second;
    ASSERT_TRUE(run.StartSilentCopy(second));
    ASSERT_TRUE(second.WaitForExit(kRunTimeoutMs));
    EXPECT_TRUE(EndedWith(second, kBookUnchanged));
    LoggedEvent event;
    ASSERT_TRUE(LeftOneEvent(second, event));
    EXPECT_EQ(event.id & 0xFFFF, 1101u);
    EXPECT_EQ(event.strings, std::vector<std::string>{AnotherRunText()});
    bool told = false;
    for (const driver::TraceLine& line : run.AllTraces())
        told = told || (line.text == AnotherRunText() && line.colour == kBlue);
    EXPECT_TRUE(told) << "no blue line said why the second run wrote nothing";
    // The lock's file names its holder, and how long a silent run without RefreshDelay takes.
    LockHolder holder;
    ASSERT_TRUE(ParseLockHolder(ReadLockFile(), holder)) << ReadLockFile();
    EXPECT_EQ(holder.pid, run.Program().Id());
    EXPECT_EQ(holder.boundSeconds, LockBoundSeconds(0));
    run.FinishWithoutMessageBox();
    EXPECT_TRUE(EndedWith(run.Program(), kBookRefreshed));

    // The book holds every record once; the second run called the bridge not at all.
    const std::vector<std::string> book = run.AddressBookRecords();
    EXPECT_EQ(book.size(), static_cast<size_t>(servers.Number("staff.entries")));
    EXPECT_EQ(CallsNamed(run.Calls(), "DeleteAll").size(), 1u);
    EXPECT_EQ(CallsNamed(run.Calls(), "InitNotesSession").size(), 1u);

    // A run that ended, killed or not, blocks nobody.
    KillWhileWriting(run);
    ASSERT_TRUE(run.Start(false));
    run.FinishWithoutMessageBox();
    EXPECT_TRUE(EndedWith(run.Program(), kBookRefreshed));
}

TEST(DownloadRequest, ALockHeldLongerThanARunTakesIsReportedWithItsHolderAndAge) {
    const TestbedServers& servers = TestbedServers::Get();
    const struct Case {
        const char* what;
        std::string content;
        DWORD share;
        int status;
        std::string line; // how the run's one line begins
    } cases[] = {
        {"stuck", HolderText(120, LockBoundSeconds(0)), FILE_SHARE_READ, kBookHeldByStuckRun,
         "Another TARNBOOK run of this user (process 4242, started "},
        {"at work", HolderText(2, LockBoundSeconds(0)), FILE_SHARE_READ, kBookUnchanged,
         AnotherRunText()},
        {"waiting out RefreshDelay", HolderText(60, LockBoundSeconds(3600)), FILE_SHARE_READ,
         kBookUnchanged, AnotherRunText()},
        {"of an earlier version", "", 0, kBookUnchanged, AnotherRunText()},
    };
    for (const Case& c : cases) {
        DownloadRun run("request-held-lock");
        run.UseDirectory(servers.Port("directory"), servers.Fact("base.staff"));
        HeldLock lock(c.content, c.share);
        ASSERT_TRUE(run.Start(false)) << c.what;
        run.FinishWithoutMessageBox();
        EXPECT_TRUE(EndedWith(run.Program(), c.status)) << c.what;
        EXPECT_TRUE(run.Calls().empty()) << c.what << ": " << CallNames(run.Calls());
        const bool stuck = c.status == kBookHeldByStuckRun;
        std::string told;
        for (const driver::TraceLine& line : run.AllTraces()) {
            if (line.colour == (stuck ? kRed : kBlue) && line.text.rfind(c.line, 0) == 0)
                told = line.text;
        }
        EXPECT_FALSE(told.empty()) << c.what;
        if (stuck) {
            EXPECT_NE(told.find("has held the address book for 120 minutes"), std::string::npos)
                << told;
        }
        LoggedEvent event;
        ASSERT_TRUE(LeftOneEvent(run.Program(), event)) << c.what;
        EXPECT_EQ(event.id & 0xFFFF, stuck ? 1200u : 1101u) << c.what;
        EXPECT_EQ(event.strings.back(), told) << c.what;
    }
}

} // namespace
