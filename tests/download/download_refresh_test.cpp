// Refresh changed: an unattended run over a directory that holds the same records as this
// user's last whole refresh leaves the address book alone; anything else refreshes it whole.
#include "download_session.h"

#include "exit_status_check.h"
#include "message_box.h"
#include "product_keys.h"
#include "test_registry.h"
#include "window_actions.h"

#include <windows.h>
#include <winldap.h>

#include <gtest/gtest.h>

#include <algorithm>

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
    const bool written = !CallsNamed(calls, "AddNewAddressBookRecord").empty();
    return emptied && written ? "whole" : !emptied && !written ? "alone" : "partly";
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

    // An interactive run, whole over the unchanged directory, that the bridge breaks off at
    // the third record: no record of a whole refresh may be left that would take the two
    // records now in the book for the whole directory.
    run.UseBridgeScript("AddNewAddressBookRecord#3=0");
    run.ForgetCalls();
    ASSERT_TRUE(run.Start(true));
    const driver::MessageBoxInfo box = driver::WaitForMessageBox(run.Program());
    ASSERT_TRUE(box);
    driver::PressButton(box.window, IDOK);
    run.WaitForExit();
    EXPECT_TRUE(EndedWith(run.Program(), kBookIncomplete));
    run.UseBridgeScript("");
    EXPECT_EQ(RunAndSee(run, false, kRefreshedEvent), "whole") << "after a broken-off run";
}

} // namespace
