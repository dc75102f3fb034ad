// Refresh changed: an unattended run over a directory that holds the same records as this
// user's last whole refresh leaves the address book alone; anything else refreshes it whole.
#include "download_session.h"

#include "exit_status_check.h"
#include "message_box.h"
#include "product_keys.h"
#include "test_registry.h"
#include "window_actions.h"

#include <windows.h>
#include <sddl.h>
#include <winldap.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace {

constexpr DWORD kRefreshedEvent = 1000;
constexpr DWORD kUnchangedEvent = 1001;

// One run of the program, and what it did to the address book: "whole" when it emptied and
// refilled it, "alone" when it called neither DeleteAll nor AddNewAddressBookRecord.
std::string RunAndSee(DownloadRun& run, bool interactive, DWORD expectedEvent) {
    run.ForgetCalls();
    if (!run.Start(interactive))
        return "not started";
    if (interactive)
        run.WaitForExit();
    else
        run.FinishWithoutMessageBox();
    EXPECT_TRUE(EndedWith(run.Program(), kBookRefreshed));
    LoggedEvent event;
    if (LeftOneEvent(run.Program(), event)) {
        EXPECT_EQ(event.id & 0xFFFF, expectedEvent);
    }
    const std::vector<LoggedCall> calls = run.Calls();
    const bool emptied = !CallsNamed(calls, "DeleteAll").empty();
    const bool written = !CallsNamed(calls, kRecordExport).empty();
    return emptied && written ? "whole" : !emptied && !written ? "alone" : "partly";
}

// Where the record of the last whole refresh lives now, and where it roamed before.
constexpr char kRecordKey[] = TARN_LOCAL_NOTES_KEY "\\Last Refresh";
constexpr char kRoamingRecordKey[] = TARN_NOTES_KEY "\\Last Refresh";
constexpr char kCryptographyKey[] = "SOFTWARE\\Microsoft\\Cryptography";

// Whether the last run traced a line of that colour holding part.
bool LastRunTraced(const DownloadRun& run, DWORD colour, const std::string& part) {
    const std::vector<driver::TraceLine> lines = run.AllTraces();
    auto start = lines.end();
    for (auto line = lines.begin(); line != lines.end(); ++line) {
        if (line->text == "DownloadAddressBook" && line->colour == kBlue)
            start = line;
    }
    return std::any_of(start, lines.end(), [&](const driver::TraceLine& line) {
        return line.colour == colour && line.text.find(part) != std::string::npos;
    });
}

// Sets the DACL of key from its SDDL text.
LSTATUS SetKeyAccess(HKEY key, const char* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor,
                                                              nullptr))
        return static_cast<LSTATUS>(GetLastError());
    const LSTATUS status = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
    LocalFree(descriptor);
    return status;
}

// The record of the last whole refresh made readable only, as a registry that refuses this
// user its changes would leave it: an entry denies everyone writing and removing it, and a
// subkey keeps RegDeleteKey from removing it where the entry is not enforced.
class LockedRecord {
  public:
    LockedRecord() {
        HKEY key = nullptr, held = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kRecordKey, 0, KEY_ALL_ACCESS, &key) !=
            ERROR_SUCCESS) {
            ADD_FAILURE() << "no record to lock";
            return;
        }
        EXPECT_EQ(
            RegCreateKeyExA(key, "Held", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &held, nullptr),
            ERROR_SUCCESS);
        if (held)
            RegCloseKey(held);
        EXPECT_EQ(SetKeyAccess(key, "D:P(D;;0x10002;;;WD)(A;;KR;;;WD)"), ERROR_SUCCESS);
        RegCloseKey(key);
        HKEY probe = nullptr;
        EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, kRecordKey, 0, KEY_SET_VALUE, &probe),
                  ERROR_SUCCESS)
            << "the record can still be written";
        if (probe)
            RegCloseKey(probe);
    }
    ~LockedRecord() { Unlock(); }
    LockedRecord(const LockedRecord&) = delete;
    LockedRecord& operator=(const LockedRecord&) = delete;
    void Unlock() {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kRecordKey, 0, WRITE_DAC, &key) != ERROR_SUCCESS)
            return;
        EXPECT_EQ(SetKeyAccess(key, "D:(A;;KA;;;WD)"), ERROR_SUCCESS);
        RegCloseKey(key);
        RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(kRecordKey) + "\\Held").c_str());
    }
};

// This user's profile on another computer: the machine's installation number (MachineGuid,
// in the 64-bit view) replaced, and put back at the end.
class AnotherComputer {
  public:
    AnotherComputer() {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCryptographyKey, 0,
                          KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_WOW64_64KEY,
                          &key) != ERROR_SUCCESS) {
            ADD_FAILURE() << "cannot change the machine's MachineGuid";
            return;
        }
        char guid[64] = "";
        DWORD size = sizeof guid - 1;
        if (RegQueryValueExA(key, "MachineGuid", nullptr, nullptr, reinterpret_cast<BYTE*>(guid),
                             &size) == ERROR_SUCCESS)
            own_ = std::string(guid);
        Set(key, "0d1c5e6a-7b2f-4c3d-9e8f-a1b2c3d4e5f6");
        RegCloseKey(key);
    }
    ~AnotherComputer() {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCryptographyKey, 0, KEY_SET_VALUE | KEY_WOW64_64KEY,
                          &key) != ERROR_SUCCESS)
            return;
        if (own_)
            Set(key, *own_);
        else
            RegDeleteValueA(key, "MachineGuid");
        RegCloseKey(key);
    }
    AnotherComputer(const AnotherComputer&) = delete;
    AnotherComputer& operator=(const AnotherComputer&) = delete;

  private:
    static void Set(HKEY key, const std::string& guid) {
        EXPECT_EQ(RegSetValueExA(key, "MachineGuid", 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(guid.c_str()),
                                 static_cast<DWORD>(guid.size() + 1)),
                  ERROR_SUCCESS);
    }
    std::optional<std::string> own_;
};

// Another build of the bridge library: the same file with a later last write time.
void TouchBridge(const DownloadRun& run) {
    const std::string path = run.ProgramDir() + "\\tarnhook.dll";
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    FILETIME written;
    GetSystemTimeAsFileTime(&written);
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &written));
    CloseHandle(file);
}

// A run that broke off while it wrote, interactive (always whole) over the unchanged directory:
// the bridge refuses the third record.
void RunBrokenOff(DownloadRun& run) {
    run.UseBridgeScript("AddNewAddressBookRecordW#3=0");
    run.ForgetCalls();
    ASSERT_TRUE(run.Start(true));
    const driver::MessageBoxInfo box = driver::WaitForMessageBox(run.Program());
    ASSERT_TRUE(box);
    driver::PressButton(box.window, IDOK);
    run.WaitForExit();
    EXPECT_TRUE(EndedWith(run.Program(), kBookIncomplete));
    run.UseBridgeScript("");
}

void AskForChangedOnly() {
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_POLICY_NOTES_KEY, "Refresh", "changed");
}

// Changes one person's telephone number, as the directory's administrator would.
void ChangeAPhoneNumber(int port, const std::string& base) {
    LDAP* session = ldap_initA(const_cast<PCHAR>("127.0.0.1"), static_cast<ULONG>(port));
    ASSERT_NE(session, nullptr);
    ULONG version = LDAP_VERSION3;
    ldap_set_option(session, LDAP_OPT_PROTOCOL_VERSION, &version);
    const std::string admin = "cn=admin," + base.substr(base.find(',') + 1);
    ASSERT_EQ(
        ldap_simple_bind_sA(session, const_cast<PCHAR>(admin.c_str()), const_cast<PCHAR>("secret")),
        static_cast<ULONG>(LDAP_SUCCESS));
    LDAPMessage* found = nullptr;
    PCHAR attributes[] = {const_cast<PCHAR>("cn"), nullptr};
    ldap_search_sA(session, const_cast<PCHAR>(base.c_str()), LDAP_SCOPE_ONELEVEL,
                   const_cast<PCHAR>("(mail=*@*)"), attributes, 0, &found);
    LDAPMessage* entry = found ? ldap_first_entry(session, found) : nullptr;
    PCHAR dn = entry ? ldap_get_dnA(session, entry) : nullptr;
    PCHAR phone[] = {const_cast<PCHAR>("+1 555 0199"), nullptr};
    LDAPModA change = {LDAP_MOD_REPLACE, const_cast<PCHAR>("telephoneNumber"), {phone}};
    LDAPModA* changes[] = {&change, nullptr};
    ASSERT_NE(dn, nullptr) << "no person with an Internet address below " << base;
    EXPECT_EQ(ldap_modify_sA(session, dn, changes), static_cast<ULONG>(LDAP_SUCCESS));
    ldap_memfreeA(dn);
    if (found)
        ldap_msgfree(found);
    ldap_unbind(session);
}

TEST(DownloadRefresh, AnUnchangedDirectoryIsLeftAloneOnlyWhenSilentAndFromTheSameSearch) {
    const TestbedServers& servers = TestbedServers::Get();
    DownloadRun run("refresh-unchanged");
    run.UseDirectory(servers.Port("directory"), servers.Fact("base.people"));
    AskForChangedOnly();
    EXPECT_EQ(RunAndSee(run, false, kRefreshedEvent), "whole") << "nothing on record yet";
    const std::string book = run.AddressBook();
    EXPECT_EQ(RunAndSee(run, false, kUnchangedEvent), "alone");
    EXPECT_EQ(run.AddressBook(), book);
    const std::vector<std::string> blue = run.Traced(kBlue);
    EXPECT_TRUE(std::any_of(blue.begin(), blue.end(), [](const std::string& line) {
        return line.find("nothing was written (Refresh is changed)") != std::string::npos;
    })) << "a blue line says why and since when";
    EXPECT_EQ(RunAndSee(run, true, kRefreshedEvent), "whole") << "an interactive run";
    run.UseDirectory(servers.Port("directory"), servers.Fact("base.staff"));
    EXPECT_EQ(RunAndSee(run, false, kRefreshedEvent), "whole") << "another search base";
    EXPECT_EQ(RunAndSee(run, false, kUnchangedEvent), "alone");
}

TEST(DownloadRefresh, AChangedEntryOrARunBrokenOffWhileWritingRefreshesWhole) {
    OwnSlapd slapd("refresh-writable", "--writable");
    const std::string base = TestbedServers::Get().Fact("base.people");
    DownloadRun run("refresh-changed");
    run.UseDirectory(slapd.Port(), base);
    AskForChangedOnly();
    EXPECT_EQ(RunAndSee(run, false, kRefreshedEvent), "whole");
    ChangeAPhoneNumber(slapd.Port(), base);
    EXPECT_EQ(RunAndSee(run, false, kRefreshedEvent), "whole") << "a changed entry";

    // No record of a whole refresh may be left that would take the two records now in the
    // book for the whole directory.
    RunBrokenOff(run);
    EXPECT_EQ(RunAndSee(run, false, kRefreshedEvent), "whole") << "after a broken-off run";
}

TEST(DownloadRefresh, TheRecordStaysOnThisComputerAndTheOneThatRoamedIsRemoved) {
    const TestbedServers& servers = TestbedServers::Get();
    DownloadRun run("refresh-local");
    run.UseDirectory(servers.Port("directory"), servers.Fact("base.people"));
    AskForChangedOnly();
    // A record as earlier versions kept it, in the roaming part of the profile.
    SetRegistryString(HKEY_CURRENT_USER, kRoamingRecordKey, "Digest", std::string(64, 'a'));
    SetRegistryDword(HKEY_CURRENT_USER, kRoamingRecordKey, "Records", 3);
    EXPECT_EQ(RunAndSee(run, false, kRefreshedEvent), "whole");
    EXPECT_TRUE(LastRunTraced(run, kBlue, "No whole refresh of this address book is on record"));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kRoamingRecordKey))
        << "the record that roamed is removed";
    EXPECT_EQ(GetRegistryString(HKEY_CURRENT_USER, kRecordKey, "Digest").value_or("").size(), 64u)
        << "the record is kept in the part of the profile that stays on this computer";
    EXPECT_EQ(GetRegistryString(HKEY_CURRENT_USER, kRecordKey, "Marker"), std::string())
        << "no change marker was read";
    EXPECT_EQ(RunAndSee(run, false, kUnchangedEvent), "alone");
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kRoamingRecordKey));
}

TEST(DownloadRefresh, AnotherComputerNotesInstallationBridgeOrVersionBringsAWholeRefresh) {
    const TestbedServers& servers = TestbedServers::Get();
    DownloadRun run("refresh-owner");
    run.UseDirectory(servers.Port("directory"), servers.Fact("base.people"));
    AskForChangedOnly();
    EXPECT_EQ(RunAndSee(run, false, kRefreshedEvent), "whole");
    EXPECT_EQ(RunAndSee(run, false, kUnchangedEvent), "alone") << "the same owner run after run";

    TouchBridge(run);
    EXPECT_EQ(RunAndSee(run, false, kRefreshedEvent), "whole") << "a new bridge library";
    EXPECT_TRUE(LastRunTraced(run, kBlue, "was made through another bridge library"));
    EXPECT_EQ(RunAndSee(run, false, kUnchangedEvent), "alone");

    {
        AnotherComputer elsewhere;
        EXPECT_EQ(RunAndSee(run, false, kRefreshedEvent), "whole") << "another computer";
        EXPECT_TRUE(LastRunTraced(run, kBlue, "was made on another computer"));
        EXPECT_EQ(RunAndSee(run, false, kUnchangedEvent), "alone");
    }
    EXPECT_EQ(RunAndSee(run, false, kRefreshedEvent), "whole") << "back on the first computer";

    const NotesInstall other = MakeNotesInstall("refresh-owner-other");
    SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "NotesDllPath", other.dllPath);
    EXPECT_EQ(RunAndSee(run, false, kRefreshedEvent), "whole") << "another Notes installation";
    EXPECT_TRUE(
        LastRunTraced(run, kBlue, "was made with another Notes installation or data folder"));
    EXPECT_EQ(RunAndSee(run, false, kUnchangedEvent), "alone");

    // A record that another version of TARNBOOK made.
    SetRegistryString(HKEY_CURRENT_USER, kRecordKey, "Program", std::string(64, '0'));
    EXPECT_EQ(RunAndSee(run, false, kRefreshedEvent), "whole") << "another TARNBOOK version";
    EXPECT_TRUE(LastRunTraced(run, kBlue, "was made by another TARNBOOK version"));
    EXPECT_EQ(RunAndSee(run, false, kUnchangedEvent), "alone");
}

TEST(DownloadRefresh, ARecordThatCouldNotBeSetAsideOrWasCutOffIsNeverTakenForWhole) {
    const TestbedServers& servers = TestbedServers::Get();
    DownloadRun run("refresh-locked");
    run.UseDirectory(servers.Port("directory"), servers.Fact("base.people"));
    AskForChangedOnly();
    EXPECT_EQ(RunAndSee(run, false, kRefreshedEvent), "whole");
    {
        LockedRecord locked;
        RunBrokenOff(run);
        EXPECT_TRUE(LastRunTraced(run, kRed, "could not be set aside"))
            << "a red line says that the record stays";
        EXPECT_EQ(RunAndSee(run, false, kRefreshedEvent), "whole")
            << "a record that cannot be changed is not trusted";
        EXPECT_TRUE(
            LastRunTraced(run, kBlue, "No whole refresh of this address book is on record"));
    }
    // The record, writable again, and the book that the last run wrote whole agree.
    EXPECT_EQ(RunAndSee(run, false, kUnchangedEvent), "alone");

    // A run that ended between emptying the book and recording it whole (its process ended
    // from outside) leaves its generation begun but not whole.
    const std::optional<std::string> whole =
        GetRegistryBytes(HKEY_CURRENT_USER, kRecordKey, "Whole");
    ASSERT_TRUE(whole && whole->size() == 8) << "the record's generation";
    std::string begun = *whole;
    begun[0] = static_cast<char>(begun[0] + 1);
    SetRegistryBytes(HKEY_CURRENT_USER, kRecordKey, "Begun", REG_QWORD, begun);
    EXPECT_EQ(RunAndSee(run, false, kRefreshedEvent), "whole") << "a record begun, not whole";
    EXPECT_EQ(RunAndSee(run, false, kUnchangedEvent), "alone");
}

} // namespace
