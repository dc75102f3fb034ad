// A directory server that cannot be reached or refuses the anonymous bind: the library's own
// error text is reported, and the address book is never opened.
#include "download_session.h"

#include "exit_status_check.h"
#include "message_box.h"
#include "product_keys.h"
#include "resource_ids.h"
#include "test_registry.h"
#include "window_actions.h"

#include <windows.h>
#include <winldap.h>

#include <gtest/gtest.h>

namespace {

// Nothing listens on this port of 127.0.0.1.
constexpr int kClosedPort = 1;

const char kNoAddressBook[] = "InitNotesSession,CloseAddressBook,CloseNotesSession";

TEST(DownloadConnection, AServerThatIsDownIsReportedInTheLibrarysWordsNotAsSuccess) {
    const std::string downText = LdapText(LDAP_SERVER_DOWN);
    ASSERT_NE(downText, LdapText(LDAP_SUCCESS));
    {
        SCOPED_TRACE("silent, wrong port");
        DownloadRun run("connection-down");
        run.UseDirectory(kClosedPort, "dc=tarn,dc=test");
        ASSERT_TRUE(run.Start(false));
        run.FinishWithoutMessageBox();
        EXPECT_EQ(run.Traced(kRed), std::vector<std::string>{downText});
        EXPECT_EQ(CallNames(run.Calls()), kNoAddressBook);
        EXPECT_TRUE(EndedWith(run.Program(), kBookUnreachable));
    }
    {
        // No settings at all: an empty host name and port 0 are tried as they are.
        SCOPED_TRACE("silent, nothing stored");
        DownloadRun run("connection-unset");
        ASSERT_TRUE(run.Start(false));
        run.FinishWithoutMessageBox();
        EXPECT_EQ(run.Traced(kRed), std::vector<std::string>{downText});
        EXPECT_EQ(CallNames(run.Calls()), kNoAddressBook);
        EXPECT_TRUE(EndedWith(run.Program(), kBookUnreachable));
    }
    {
        SCOPED_TRACE("interactive, wrong port");
        DownloadRun run("connection-down-interactive");
        run.UseDirectory(kClosedPort, "dc=tarn,dc=test");
        ASSERT_TRUE(run.Start(true));
        const driver::MessageBoxInfo box = driver::WaitForMessageBox(run.Program());
        ASSERT_TRUE(box);
        EXPECT_EQ(box.caption, ResourceText(IDS_TARNBOOK_CAPTION));
        EXPECT_EQ(box.text, downText);
        EXPECT_TRUE(box.topmost) << "the box is not system-modal";
        EXPECT_EQ(box.owner, nullptr);
        driver::PressButton(box.window, IDOK);
        run.WaitForExit();
        EXPECT_EQ(CallNames(run.Calls()), kNoAddressBook);
        EXPECT_TRUE(run.Traced(kRed).empty()) << ::testing::PrintToString(run.Traced(kRed));
        EXPECT_TRUE(EndedWith(run.Program(), kBookUnreachable));
    }
}

TEST(DownloadConnection, ARefusedAnonymousBindIsReportedWithTheBindResultsText) {
    const TestbedServers& servers = TestbedServers::Get();
    DownloadRun run("connection-refused");
    run.UseDirectory(servers.Port("closed"), servers.Fact("base.staff"));
    run.SeedAddressBook({"Old,Record,1,old.record@tarn.test"});
    const std::string before = run.AddressBook();
    ASSERT_TRUE(run.Start(false));
    run.FinishWithoutMessageBox();

    EXPECT_EQ(run.Traced(kRed), std::vector<std::string>{LdapText(LDAP_INAPPROPRIATE_AUTH)});
    EXPECT_EQ(CallNames(run.Calls()), kNoAddressBook);
    EXPECT_EQ(run.AddressBook(), before);
    EXPECT_TRUE(EndedWith(run.Program(), kBookUnreachable));
}

// Policies are read by their registry type: a port stored as a number connects, a Refresh
// stored as bytes is ignored with a red line (the product key's decides), and an expandable
// notes.ini path is expanded.
TEST(DownloadConnection, PolicyValuesAreTakenByTheirRegistryType) {
    const TestbedServers& servers = TestbedServers::Get();
    DownloadRun run("connection-policy-types");
    run.UseDirectory(kClosedPort, servers.Fact("base.staff"));
    SetRegistryDword(HKEY_LOCAL_MACHINE, TARN_POLICY_NOTES_KEY, "PortNumber",
                     static_cast<DWORD>(servers.Port("directory")));
    SetRegistryBytes(HKEY_LOCAL_MACHINE, TARN_POLICY_NOTES_KEY, "Refresh", REG_BINARY, "changed");
    const std::string ini = "%USERPROFILE%\\tarn-policy\\notes.ini";
    SetRegistryBytes(HKEY_LOCAL_MACHINE, TARN_POLICY_NOTES_KEY, "NotesIniPath", REG_EXPAND_SZ,
                     std::string(ini.c_str(), ini.size() + 1));
    ASSERT_TRUE(run.Start(false));
    run.FinishWithoutMessageBox();

    EXPECT_FALSE(run.Records().empty()) << "the port of the policy was not used";
    EXPECT_TRUE(EndedWith(run.Program(), kBookRefreshed));
    std::vector<std::string> red;
    bool expanded = false;
    char profile[MAX_PATH] = "";
    GetEnvironmentVariableA("USERPROFILE", profile, sizeof profile);
    const std::string iniLine =
        std::string("Notes.ini path:") + profile + "\\tarn-policy\\notes.ini,";
    for (const driver::TraceLine& line : run.AllTraces()) {
        // The start-up's other red line: no machine-wide product key.
        if (line.colour == kRed && line.text != "GetUserInfo::RegCreateKey failed")
            red.push_back(line.text);
        expanded = expanded || line.text.rfind(iniLine, 0) == 0;
    }
    ASSERT_EQ(red.size(), 1u) << ::testing::PrintToString(red);
    EXPECT_NE(red[0].find("Refresh"), std::string::npos) << red[0];
    EXPECT_NE(red[0].find("REG_BINARY"), std::string::npos) << red[0];
    EXPECT_TRUE(expanded) << "no line starting " << iniLine;
}

} // namespace
