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

TEST(MarkerServers, AnActiveDirectoryDomainIsAskedByDirSyncAndItsCount) {
    const TestbedServers& servers = TestbedServers::Get();
    const std::string people = servers.Fact("samba.people.base");
    const std::string added = "CN=Marker Person," + people;
    DownloadRun run("marker-samba");
    // An ordinary account: anonymous readers may not count the entries.
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

} // namespace
