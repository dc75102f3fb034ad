// Refresh changed against the other server families' change markers: 389 Directory Server's
// lastusn (the USN plugin) and the DirSync cookie with the entry count of Samba's Active
// Directory domain controller. An unchanged directory is not searched; a change, a deletion
// included, brings a whole download.
#include "download_session.h"

#include "password/password_store.h"
#include "product_keys.h"
#include "test_registry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

namespace {

// One logon after an administrator's change, and what it must have done.
struct Step {
    const char* what;
    std::function<void(DirectoryAdmin&)> change; // nullptr: no change
    bool searched;
    const char* book;
    std::vector<std::string> mails = {}; // where given: the mail addresses the book holds after
};

// Runs the logons of steps through a relay in front of port, the first one on an empty record.
void RunSteps(DownloadRun& run, int port, const std::string& base, const std::string& admin,
              const std::string& password, const std::vector<Step>& steps) {
    RecordingRelay relay(port);
    run.UseDirectory(relay.Port(), base);
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_POLICY_NOTES_KEY, "Refresh", "changed");
    for (const Step& step : steps) {
        if (step.change) {
            DirectoryAdmin administrator(port, admin, password);
            step.change(administrator);
        }
        const Logon logon = RunLogon(run, relay, base);
        EXPECT_EQ(logon.wholeSearches > 0, step.searched) << step.what;
        EXPECT_EQ(logon.book, step.book) << step.what;
        EXPECT_TRUE(logon.refreshed) << step.what;
        if (!step.mails.empty()) {
            EXPECT_EQ(SortedMailsOf(run.Records()), step.mails) << step.what;
        }
    }
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
    // The person added is deleted again, so that the domain ends as the other tests expect it.
    RunSteps(
        run, servers.Port("samba"), people, servers.Fact("samba.admin"),
        servers.Fact("samba.password"),
        {{"the first logon", nullptr, true, "whole"},
         {"an unchanged logon", nullptr, false, "alone"},
         {"a person added",
          [&](DirectoryAdmin& admin) {
              admin.Add(added,
                        {"objectClass=user", "cn=Marker Person", "sAMAccountName=markerperson",
                         "sn=Person", "mail=marker.person@tarn.test"});
          },
          true, "whole"},
         {"the logon after it", nullptr, false, "alone"},
         // A deletion is no change that an ordinary account's DirSync shows: the count is.
         {"a person deleted", [&](DirectoryAdmin& admin) { admin.Delete(added); }, true, "whole"},
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
    const auto active = [&](const char* value) {
        return [&second, value](DirectoryAdmin& admin) {
            admin.Replace(second, "userAccountControl", value);
        };
    };
    const std::vector<std::string> both = {"active1@tarn.test", "active2@tarn.test"};
    RunSteps(run, servers.Port("samba"), mixed, servers.Fact("samba.admin"),
             servers.Fact("samba.password"),
             {{"the first logon", nullptr, true, "whole", both},
              {"an unchanged logon", nullptr, false, "alone"},
              {"an account disabled", active("546"), true, "whole", {"active1@tarn.test"}},
              {"the logon after it", nullptr, false, "alone"},
              {"the account enabled again", active("544"), true, "whole", both}});
}

} // namespace
