// Refresh changed against the other server families' change markers: 389 Directory Server's
// lastusn (the USN plugin) and the DirSync cookie with the entry count of Samba's Active
// Directory domain controller. An unchanged directory is not searched; a change, a deletion
// included, brings a whole download, also one made while the marker is read.
#include "download_session.h"

#include "marker/control_values.h"
#include "password/password_store.h"
#include "product_keys.h"
#include "test_registry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

namespace {

// One logon after an administrator's change, and what it must have done.
struct Step {
    const char* what;
    std::function<void(DirectoryAdmin&)> change; // nullptr: no change
    bool searched;
    const char* book;
    // Where the change must be made while the logon reads its marker; nullptr: before it.
    std::function<RecordingRelay::Hold(std::function<void()> change)> during = nullptr;
    const char* why = nullptr; // what the blue line on the moved marker must name
    std::function<void(const DownloadRun&)> check = nullptr;
};

// Runs the logons of steps through a relay in front of port, the first one on an empty record.
void RunSteps(DownloadRun& run, int port, const std::string& base, const std::string& admin,
              const std::string& password, const std::vector<Step>& steps) {
    RecordingRelay relay(port);
    run.UseDirectory(relay.Port(), base);
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_POLICY_NOTES_KEY, "Refresh", "changed");
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        const auto change = [&] {
            DirectoryAdmin administrator(port, admin, password);
            step.change(administrator);
        };
        if (step.change && !step.during)
            change();
        relay.HoldBefore(step.during ? step.during(change) : RecordingRelay::Hold());
        const Logon logon = RunLogon(run, relay, base);
        relay.HoldBefore(RecordingRelay::Hold());
        EXPECT_EQ(logon.wholeSearches > 0, step.searched);
        EXPECT_EQ(logon.book, step.book);
        EXPECT_TRUE(logon.refreshed);
        if (step.why) {
            const std::vector<std::string> blue = LastRunTraced(run, kBlue);
            EXPECT_TRUE(std::any_of(blue.begin(), blue.end(), [&](const std::string& line) {
                return line.find("change marker moved") != std::string::npos &&
                       line.find(step.why) != std::string::npos;
            })) << ::testing::PrintToString(blue);
        }
        if (step.check)
            step.check(run);
    }
}

// Holds back the second of the requests that read Active Directory's marker (the DirSync
// cookie, the count's list view: the first of the other kind than the first) until change is
// made: the change falls between the marker's two reads.
RecordingRelay::Hold BetweenTheMarkersReads(std::function<void()> change) {
    auto first = std::make_shared<const char*>(nullptr);
    auto done = std::make_shared<bool>(false);
    return [first, done, change](bool fromProgram, unsigned char operation,
                                 const std::string& message) {
        if (!fromProgram || operation != kLdapSearchRequest || *done)
            return;
        const char* kind = message.find(kDirSyncOid) != std::string::npos      ? kDirSyncOid
                           : message.find(kVlvRequestOid) != std::string::npos ? kVlvRequestOid
                                                                               : nullptr;
        if (!kind)
            return;
        if (!*first)
            *first = kind;
        else if (kind != *first) {
            *done = true;
            change();
        }
    };
}

TEST(MarkerServers, A389DirectoryIsAskedItsLastUsn) {
    const TestbedServers& servers = TestbedServers::Get();
    const std::string base = servers.Fact("dirsrv.base");
    const std::string person = "cn=DS Person 1,ou=People," + base;
    DownloadRun run("marker-dirsrv");
    RunSteps(
        run, servers.Port("dirsrv"), base, "cn=Directory Manager", "tarn-dirsrv-manager",
        {{"the first logon", nullptr, true, "whole"},
         {"an unchanged logon", nullptr, false, "alone"},
         {"a telephone number changed",
          [&](DirectoryAdmin& admin) { admin.Replace(person, "telephoneNumber", "+1 555 2999"); },
          true, "whole"},
         {"the logon after it", nullptr, false, "alone"}});
    EXPECT_TRUE(Contains(run.AddressBookRecords(), "Person1,DS,+1 555 2999,dsperson1@tarn.test"))
        << ::testing::PrintToString(run.AddressBookRecords());
}

// Signs in as an ordinary account of Samba's domain: anonymous readers may not count entries.
void SignInAsSambaReader() {
    const TestbedServers& servers = TestbedServers::Get();
    SecretText secret;
    const std::string password = servers.Fact("samba.reader.password");
    secret.Assign(password.data(), password.size());
    std::vector<BYTE> blob;
    ASSERT_EQ(ProtectPassword(secret, false, blob), 0u);
    SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "BindMethod", "simple");
    SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "BindUser",
                      servers.Fact("samba.reader") + "@tarn.test");
    SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "AllowClearTextBind", "1");
    SetRegistryBytes(HKEY_CURRENT_USER, TARN_NOTES_KEY, "BindPassword", REG_BINARY,
                     std::string(blob.begin(), blob.end()));
}

TEST(MarkerServers, AnActiveDirectoryDomainIsAskedByDirSyncAndItsCount) {
    const TestbedServers& servers = TestbedServers::Get();
    const std::string people = servers.Fact("samba.people.base");
    const std::string added = "CN=Marker Person," + people;
    DownloadRun run("marker-samba");
    SignInAsSambaReader();
    const std::string phone = "CN=Person 2," + people;
    const std::string moved = "CN=Person 3," + people;
    const std::string users = "CN=Users," + servers.Fact("samba.base");
    // Whatever happens, the domain ends as the other tests expect it.
    struct Restore {
        std::function<void()> run;
        ~Restore() { run(); }
    } restore{[&] {
        DirectoryAdmin admin(servers.Port("samba"), servers.Fact("samba.admin"),
                             servers.Fact("samba.password"));
        admin.Replace(phone, "telephoneNumber", "+1 555 1002");
        admin.Rename("CN=Person 3," + users, "CN=Person 3", people);
    }};
    const char* fromDirSync = "entries changed since the kept DirSync cookie";
    RunSteps(
        run, servers.Port("samba"), people, servers.Fact("samba.admin"),
        servers.Fact("samba.password"),
        {{"the first logon, a person added between its marker's two reads",
          [&](DirectoryAdmin& admin) {
              admin.Add(added,
                        {"objectClass=user", "cn=Marker Person", "sAMAccountName=markerperson",
                         "sn=Person", "mail=marker.person@tarn.test"});
          },
          true, "whole", BetweenTheMarkersReads},
         // An ordinary account's DirSync shows no deletion: the count does, and the person
         // added is in the count that goes with the cookie from before it.
         {"the person deleted again", [&](DirectoryAdmin& admin) { admin.Delete(added); }, true,
          "whole", nullptr, nullptr,
          [](const DownloadRun& run) {
              EXPECT_EQ(RecordWithMail(run.Records(), "marker.person@tarn.test"), nullptr);
          }},
         {"an unchanged logon", nullptr, false, "alone"},
         // The count stays; DirSync alone tells.
         {"a telephone number changed",
          [&](DirectoryAdmin& admin) { admin.Replace(phone, "telephoneNumber", "+1 555 2999"); },
          true, "whole", nullptr, fromDirSync,
          [](const DownloadRun& run) {
              const std::vector<LoggedCall> records = run.Records();
              const LoggedCall* record = RecordWithMail(records, "person2@tarn.test");
              ASSERT_NE(record, nullptr) << "no record of person2";
              EXPECT_EQ(record->args[2], "+1 555 2999");
          }},
         {"a person moved out of the search base",
          [&](DirectoryAdmin& admin) { admin.Rename(moved, "CN=Person 3", users); }, true, "whole",
          nullptr, fromDirSync,
          [](const DownloadRun& run) {
              EXPECT_EQ(RecordWithMail(run.Records(), "person3@tarn.test"), nullptr);
          }},
         {"the logon after that", nullptr, false, "alone"}});
}

// The guide's filter for Active Directory, set by policy: people with a mail address, without
// disabled accounts, entries hidden from address lists and other objects with mail. Samba's
// schema lacks the attribute that hides an entry from address lists: the clause on it holds
// for every entry.
TEST(MarkerServers, ADomainFilteredByPolicyKeepsItsActivePeopleAndSeesOneDisabled) {
    const TestbedServers& servers = TestbedServers::Get();
    const std::string mixed = servers.Fact("samba.mixed.base");
    const std::string second = "CN=Active Person 2," + mixed;
    DownloadRun run("marker-samba-filter");
    SignInAsSambaReader();
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_POLICY_NOTES_KEY, "SearchFilter",
                      "(&(objectCategory=person)(objectClass=user)(mail=*)"
                      "(!(userAccountControl:1.2.840.113556.1.4.803:=2))"
                      "(!(msExchHideFromAddressLists=TRUE)))");
    const auto active = [&second](const char* value) {
        return [&second, value](DirectoryAdmin& admin) {
            admin.Replace(second, "userAccountControl", value);
        };
    };
    const auto holds = [](std::vector<std::string> mails) {
        return [mails](const DownloadRun& run) { EXPECT_EQ(SortedMailsOf(run.Records()), mails); };
    };
    const std::vector<std::string> both = {"active1@tarn.test", "active2@tarn.test"};
    RunSteps(run, servers.Port("samba"), mixed, servers.Fact("samba.admin"),
             servers.Fact("samba.password"),
             {{"the first logon", nullptr, true, "whole", nullptr, nullptr, holds(both)},
              {"an unchanged logon", nullptr, false, "alone"},
              {"an account disabled", active("546"), true, "whole", nullptr, nullptr,
               holds({"active1@tarn.test"})},
              {"the logon after it", nullptr, false, "alone"},
              {"the account enabled again", active("544"), true, "whole", nullptr, nullptr,
               holds(both)}});
}

} // namespace
