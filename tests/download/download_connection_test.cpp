// A directory server that cannot be reached or refuses the anonymous bind: the library's own
// error text is reported, and the address book is never opened.
#include "download_session.h"

#include "exit_status_check.h"
#include "message_box.h"
#include "resource_ids.h"
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

} // namespace
