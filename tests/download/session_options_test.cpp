// The LDAP session the download opens, seen through this test program's imports of the LDAP
// client: every option call, the connection and the bind are recorded and passed on to the
// library, against the test bed's directory server. Wine's client would behave the same
// without most of these options; Windows' own would not.
#include "download_notices.h"
#include "download_session.h"
#include "import_redirect.h"
#include "product_keys.h"
#include "tarnbook_app.h"
#include "test_registry.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct LdapCall {
    std::string name;
    int option = 0;
    ULONG_PTR value = 0; // an on/off option's LDAP_OPT_ON or LDAP_OPT_OFF, else the value
};

std::vector<LdapCall> g_calls;
std::vector<std::string> g_boxes;
int g_refusedOption = -1;
ULONG g_refusal = LDAP_SUCCESS;
void* g_setOption = nullptr;
void* g_connect = nullptr;
void* g_bind = nullptr;

ULONG __cdecl RecordSetOption(LDAP* session, int option, const void* value) {
    const bool onOff = value == LDAP_OPT_ON || value == LDAP_OPT_OFF;
    g_calls.push_back(
        {"ldap_set_option", option,
         onOff ? reinterpret_cast<ULONG_PTR>(value) : *static_cast<const ULONG*>(value)});
    if (option == g_refusedOption)
        return g_refusal;
    return reinterpret_cast<decltype(&RecordSetOption)>(g_setOption)(session, option, value);
}

ULONG __cdecl RecordConnect(LDAP* session, l_timeval* bound) {
    g_calls.push_back({"ldap_connect"});
    return reinterpret_cast<decltype(&RecordConnect)>(g_connect)(session, bound);
}

ULONG __cdecl RecordBind(LDAP* session, PCHAR name, PCHAR password) {
    g_calls.push_back({"ldap_simple_bindA"});
    return reinterpret_cast<decltype(&RecordBind)>(g_bind)(session, name, password);
}

int WINAPI RecordBox(HWND, LPCSTR text, LPCSTR, UINT) {
    g_boxes.push_back(text);
    return IDOK;
}

class DirectorySession : public ::testing::Test {
  protected:
    void SetUp() override {
        g_calls.clear();
        g_boxes.clear();
        g_refusedOption = -1;
        ResetProductRegistry();
        SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "HostName", "127.0.0.1");
        SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "PortNumber",
                          std::to_string(TestbedServers::Get().Port("directory")));
        app_.GetUserInfo(HKEY_CURRENT_USER);
        g_setOption = setOption_.Original();
        g_connect = connect_.Original();
        g_bind = bind_.Original();
        ASSERT_NE(g_setOption, nullptr) << "the download does not import ldap_set_option";
        ASSERT_NE(g_connect, nullptr);
        ASSERT_NE(g_bind, nullptr);
    }
    void TearDown() override { ResetProductRegistry(); }

    // Where the call stands in the record; the record's end when it was not made.
    static size_t Position(const std::string& name, int option = 0) {
        return std::find_if(g_calls.begin(), g_calls.end(),
                            [&](const LdapCall& call) {
                                return call.name == name && call.option == option;
                            }) -
               g_calls.begin();
    }

    ImportRedirect setOption_{"wldap32.dll", "ldap_set_option",
                              reinterpret_cast<void*>(&RecordSetOption)};
    ImportRedirect connect_{"wldap32.dll", "ldap_connect", reinterpret_cast<void*>(&RecordConnect)};
    ImportRedirect bind_{"wldap32.dll", "ldap_simple_bindA", reinterpret_cast<void*>(&RecordBind)};
    ImportRedirect box_{"user32.dll", "MessageBoxA", reinterpret_cast<void*>(&RecordBox)};
    CTarnbookApp app_;
};

TEST_F(DirectorySession, EveryOptionTheDownloadReliesOnIsSetBeforeItConnects) {
    ASSERT_EQ(app_.DoLDAPConnect(), 1) << ::testing::PrintToString(g_boxes);
    const size_t connect = Position("ldap_connect");
    ASSERT_LT(connect, g_calls.size()) << "never connected";
    EXPECT_LT(connect, Position("ldap_simple_bindA"));
    const struct {
        const char* what;
        int option;
        ULONG_PTR value;
    } expected[] = {
        {"protocol version 3", LDAP_OPT_PROTOCOL_VERSION, LDAP_VERSION3},
        {"no referral chasing", LDAP_OPT_REFERRALS, 0},
        {"no automatic reconnection", LDAP_OPT_AUTO_RECONNECT, 0},
        {"no size limit", LDAP_OPT_SIZELIMIT, 0},
        {"no time limit", LDAP_OPT_TIMELIMIT, 0},
    };
    for (const auto& option : expected) {
        const size_t at = Position("ldap_set_option", option.option);
        ASSERT_LT(at, connect) << option.what << ": not set before connecting";
        EXPECT_EQ(g_calls[at].value, option.value) << option.what;
    }
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(DirectorySession, AnOptionTheLibraryRefusesEndsTheDownloadBeforeItConnects) {
    const struct {
        int option;
        ULONG refusal;
        const char* name; // nullptr: the refusal is accepted
    } cases[] = {
        {LDAP_OPT_PROTOCOL_VERSION, LDAP_PARAM_ERROR, "protocol version 3"},
        {LDAP_OPT_REFERRALS, LDAP_NOT_SUPPORTED, "no referral chasing"},
        {LDAP_OPT_AUTO_RECONNECT, LDAP_LOCAL_ERROR, "no automatic reconnection"},
        // A library that does not reconnect by itself may not know the option at all.
        {LDAP_OPT_AUTO_RECONNECT, LDAP_NOT_SUPPORTED, nullptr},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name ? test.name : "reconnection unknown");
        g_calls.clear();
        g_boxes.clear();
        g_refusedOption = test.option;
        g_refusal = test.refusal;
        CTarnbookApp app;
        app.GetUserInfo(HKEY_CURRENT_USER);
        EXPECT_EQ(app.DoLDAPConnect(), test.name ? 0 : 1);
        if (!test.name) {
            EXPECT_TRUE(g_boxes.empty()) << ::testing::PrintToString(g_boxes);
            continue;
        }
        EXPECT_EQ(Position("ldap_connect"), g_calls.size()) << "connected all the same";
        EXPECT_EQ(g_boxes, std::vector<std::string>{
                               SessionOptionRefusedText(test.name, LdapText(test.refusal))});
    }
}

} // namespace
