// Refresh changed asks the directory server first: where its change marker (here slapd's
// contextCSN, kept by the syncprov overlay and named by its answer to content
// synchronisation) is the one kept with the last whole refresh, the run ends without searching
// the directory; any change brings a whole download, which rewrites the address book wherever
// what it holds changed.
#include "download_session.h"

#include "marker/control_values.h"
#include "product_keys.h"
#include "test_registry.h"

#include <windows.h>
#include <winldap.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace {

constexpr DWORD kRefreshedEvent = 1000;
constexpr DWORD kUnchangedEvent = 1001;

void AskForChangedOnly(const std::string& delay = std::string()) {
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_POLICY_NOTES_KEY, "Refresh", "changed");
    if (!delay.empty())
        SetRegistryString(HKEY_LOCAL_MACHINE, TARN_POLICY_NOTES_KEY, "RefreshDelay", delay);
}

bool AnyStartsWith(const std::vector<std::string>& lines, const std::string& start) {
    for (const std::string& line : lines) {
        if (line.rfind(start, 0) == 0)
            return true;
    }
    return false;
}

std::vector<std::string> Sorted(std::vector<std::string> lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::string PhoneOf(const DownloadRun& run, const std::string& mail) {
    const LoggedCall* record = RecordWithMail(run.Records(), mail);
    return record && record->args.size() > 2 ? record->args[2] : "(no record)";
}

// A slapd of the test's own with syncprov, which the test may change, behind a relay that
// sees every request; the first logon refreshes whole.
class MarkerLogons : public ::testing::Test {
  protected:
    MarkerLogons()
        : slapd_("marker-csn", "--writable --syncprov"), relay_(slapd_.Port()), run_("marker-csn") {
        run_.UseDirectory(relay_.Port(), base_);
    }
    void Change(const std::function<void(DirectoryAdmin&)>& change) {
        DirectoryAdmin admin(slapd_.Port(), "cn=admin," + top_, "secret");
        change(admin);
    }
    // The next logon, checked against what it should have done.
    Logon ExpectLogon(const std::string& what, bool searched, const std::string& book) {
        const Logon logon = RunLogon(run_, relay_, base_);
        EXPECT_EQ(logon.wholeSearches > 0, searched) << what;
        if (!book.empty()) {
            EXPECT_EQ(logon.book, book) << what;
        }
        EXPECT_TRUE(logon.refreshed) << what;
        EXPECT_EQ(logon.event, logon.book == "whole" ? kRefreshedEvent : kUnchangedEvent) << what;
        return logon;
    }

    const std::string top_ = "dc=tarn,dc=test";
    const std::string base_ = TestbedServers::Get().Fact("base.people");
    OwnSlapd slapd_;
    RecordingRelay relay_;
    DownloadRun run_;
};

TEST_F(MarkerLogons, AnUnchangedDirectoryIsNotSearchedAtAll) {
    AskForChangedOnly();
    ExpectLogon("the first logon", true, "whole");
    const std::string book = run_.AddressBook();
    const size_t requests = LdapSearches(relay_.Sent()).size();
    // What the server sends back: never an intermediate message, which the client need not read.
    auto intermediates = std::make_shared<std::atomic<int>>(0);
    relay_.HoldBefore(
        [intermediates](bool fromProgram, unsigned char operation, const std::string&) {
            if (!fromProgram && operation == kLdapIntermediateResponse)
                ++*intermediates;
        });
    ExpectLogon("the second logon", false, "alone");
    relay_.HoldBefore(RecordingRelay::Hold());
    EXPECT_EQ(run_.AddressBook(), book);
    EXPECT_EQ(*intermediates, 0);
    // The root entry, then the naming context at its base with a critical refresh only of
    // content synchronisation, without a cookie.
    const std::vector<LdapSearchRequest> searches = LdapSearches(relay_.Sent());
    ASSERT_EQ(searches.size() - requests, 2u);
    for (size_t i = requests; i < searches.size(); ++i)
        EXPECT_EQ(searches[i].scope, LDAP_SCOPE_BASE) << searches[i].base;
    EXPECT_EQ(searches.back().base, top_);
    const std::string sync =
        std::string(kContentSyncOid) + "\x01\x01\xff\x04\x05" + EncodeSyncRefreshOnly();
    EXPECT_NE(relay_.Sent().find(sync), std::string::npos);
    const std::vector<std::string> blue = LastRunTraced(run_, kBlue);
    EXPECT_TRUE(AnyStartsWith(blue, "The directory has not changed since the whole refresh of "))
        << ::testing::PrintToString(blue);
    EXPECT_TRUE(LastRunTraced(run_, kRed).empty())
        << ::testing::PrintToString(LastRunTraced(run_, kRed));
}

TEST_F(MarkerLogons, EachChangeBringsAWholeDownloadThatRewritesTheBookWhereItChanged) {
    const std::string people = base_;
    struct Case {
        const char* what;
        std::function<void(DirectoryAdmin&)> change;
        bool bookChanges; // what the address book holds changes
        std::function<void(const DownloadRun&)> check;
    } const cases[] = {
        {"a person added",
         [&](DirectoryAdmin& admin) {
             admin.Add("cn=Nia Stone," + people,
                       {"objectClass=inetOrgPerson", "cn=Nia Stone", "sn=Stone", "givenName=Nia",
                        "mail=nia.stone@tarn.test"});
         },
         true,
         [](const DownloadRun& run) {
             EXPECT_NE(RecordWithMail(run.Records(), "nia.stone@tarn.test"), nullptr);
         }},
        {"a telephone number changed",
         [&](DirectoryAdmin& admin) {
             admin.Replace("cn=Mira Holt," + people, "telephoneNumber", "+1 555 0777");
         },
         true,
         [](const DownloadRun& run) {
             EXPECT_EQ(PhoneOf(run, "mira.holt@tarn.test"), "+1 555 0777");
         }},
        {"a person deleted", [&](DirectoryAdmin& admin) { admin.Delete("cn=Ona Vale," + people); },
         true,
         [](const DownloadRun& run) {
             EXPECT_EQ(RecordWithMail(run.Records(), "ona.vale@tarn.test"), nullptr);
         }},
        // The book holds no entry's name: searched, but the same records to write.
        {"a person renamed",
         [&](DirectoryAdmin& admin) { admin.Rename("cn=Quill," + people, "cn=Quill Pen"); }, false,
         nullptr},
        {"a person moved out of the search base",
         [&](DirectoryAdmin& admin) {
             admin.Rename("cn=Helpdesk," + people, "cn=Helpdesk", "ou=Staff," + top_);
         },
         true,
         [](const DownloadRun& run) {
             EXPECT_EQ(RecordWithMail(run.Records(), "helpdesk@tarn.test"), nullptr);
         }},
        {"a change beside the search base",
         [&](DirectoryAdmin& admin) {
             admin.Replace("cn=Staff Member 1,ou=Staff," + top_, "telephoneNumber", "+1 555 0888");
         },
         false, nullptr},
    };
    AskForChangedOnly();
    ExpectLogon("the first logon", true, "whole");
    for (const Case& test : cases) {
        const std::vector<std::string> before = Sorted(run_.AddressBookRecords());
        Change(test.change);
        if (test.bookChanges) {
            ExpectLogon(test.what, true, "whole");
            test.check(run_);
        } else {
            // The same records, in whatever order the server hands them back after a rename:
            // searched, but nothing written.
            ExpectLogon(test.what, true, "alone");
            EXPECT_EQ(Sorted(run_.AddressBookRecords()), before) << test.what;
        }
        // The marker of the whole download is kept, that of the search that found the same
        // records too: the next logon searches nothing.
        ExpectLogon((std::string("after ") + test.what).c_str(), false, "alone");
    }
}

TEST_F(MarkerLogons, AChangeDuringAWholeDownloadIsSeenAtTheNextLogon) {
    AskForChangedOnly();
    {
        // The marker is read before the search; the change comes while the download runs.
        const TraceHook hook(run_.Viewer(), "DoDownloadAdddressBook", [&] {
            Change([&](DirectoryAdmin& admin) {
                admin.Replace("cn=Mira Holt," + base_, "telephoneNumber", "+1 555 0666");
            });
        });
        ExpectLogon("the logon during which the directory changes", true, "whole");
    }
    EXPECT_EQ(PhoneOf(run_, "mira.holt@tarn.test"), "+1 555 0666");
    // The marker kept is the one from before the change: the next logon searches again and
    // finds the records it wrote; only the one after that searches nothing.
    ExpectLogon("the next logon", true, "alone");
    ExpectLogon("the one after", false, "alone");
}

// An earlier build kept the contextCSN it read without a provider's answer as a "csn"
// marker; such a marker is never compared with one proved now: one search, then none.
TEST_F(MarkerLogons, AMarkerKeptByAnEarlierBuildBringsOneSearch) {
    AskForChangedOnly();
    ExpectLogon("the first logon", true, "whole");
    const char* const record = TARN_LOCAL_NOTES_KEY "\\Last Refresh";
    const std::optional<std::string> kept = GetRegistryString(HKEY_CURRENT_USER, record, "Marker");
    ASSERT_TRUE(kept.has_value());
    const std::string::size_type family = kept->find(':');
    ASSERT_NE(family, std::string::npos) << *kept;
    SetRegistryString(HKEY_CURRENT_USER, record, "Marker", "csn" + kept->substr(family));
    ExpectLogon("the logon after the earlier build's", true, "alone");
    ExpectLogon("the next one", false, "alone");
}

TEST_F(MarkerLogons, AnInteractiveRunKeepsItsMarkerForTheNextLogon) {
    AskForChangedOnly();
    ASSERT_TRUE(run_.Start(true));
    run_.WaitForExit();
    ExpectLogon("the logon after an interactive run", false, "alone");
}

TEST_F(MarkerLogons, RefreshDelayWaitsBeforeAWholeDownloadOnlyNeverBeforeTheProbe) {
    AskForChangedOnly("1");
    ExpectLogon("the first logon", true, "whole");
    EXPECT_TRUE(AnyStartsWith(LastRunTraced(run_, kBlue), "Waiting "))
        << ::testing::PrintToString(LastRunTraced(run_, kBlue));
    ExpectLogon("an unchanged logon", false, "alone");
    EXPECT_FALSE(AnyStartsWith(LastRunTraced(run_, kBlue), "Waiting "));

    // A number, but past the longest wait allowed.
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_POLICY_NOTES_KEY, "RefreshDelay", "4000");
    Change([&](DirectoryAdmin& admin) {
        admin.Replace("cn=Mira Holt," + base_, "telephoneNumber", "+1 555 0555");
    });
    ExpectLogon("a logon with a RefreshDelay not understood", true, "whole");
    EXPECT_FALSE(AnyStartsWith(LastRunTraced(run_, kBlue), "Waiting "));
    // Read before the run's download starts: among the start-up's lines.
    std::vector<std::string> red;
    for (const driver::TraceLine& line : run_.AllTraces()) {
        if (line.colour == kRed)
            red.push_back(line.text);
    }
    EXPECT_TRUE(Contains(red, "The value RefreshDelay \"4000\" is not a number of seconds "
                              "from 0 to 3600: a whole download starts at once."))
        << ::testing::PrintToString(red);
}

// A contextCSN that no provider of its naming context keeps current (written once by an
// offline load) is no marker, also where another database of the server has a provider and
// the server offers content synchronisation: every logon searches, and a change reaches the
// book.
TEST(MarkerLogon, AContextCsnThatNoProviderOfItsNamingContextKeepsIsNoMarker) {
    const struct {
        const char* name;
        const char* options;
        std::string why; // the blue line's reason
    } cases[] = {
        {"marker-stale", "--writable --csn-written",
         "it does not offer content synchronisation, without which its contextCSN need not "
         "follow its changes"},
        {"marker-beside", "--writable --csn-written --syncprov=shrink",
         "content synchronisation of its naming context was refused (" +
             LdapText(LDAP_UNAVAILABLE_CRIT_EXTENSION) + ")"},
    };
    const std::string base = TestbedServers::Get().Fact("base.people");
    for (const auto& test : cases) {
        SCOPED_TRACE(test.options);
        OwnSlapd slapd(test.name, test.options);
        RecordingRelay relay(slapd.Port());
        DownloadRun run(test.name);
        run.UseDirectory(relay.Port(), base);
        AskForChangedOnly();
        EXPECT_EQ(RunLogon(run, relay, base).book, "whole");
        {
            DirectoryAdmin admin(slapd.Port(), "cn=admin,dc=tarn,dc=test", "secret");
            admin.Replace("cn=Mira Holt," + base, "telephoneNumber", "+1 555 0444");
        }
        const Logon second = RunLogon(run, relay, base);
        EXPECT_EQ(second.wholeSearches, 1);
        EXPECT_EQ(second.book, "whole");
        EXPECT_EQ(PhoneOf(run, "mira.holt@tarn.test"), "+1 555 0444");
        const std::vector<std::string> blue = LastRunTraced(run, kBlue);
        EXPECT_TRUE(Contains(blue, "The directory server offers no change marker (" + test.why +
                                       "): the directory is searched whole."))
            << ::testing::PrintToString(blue);
    }
}

} // namespace
