#include "tarnbook_app.h"

#include "product_keys.h"
#include "test_files.h"
#include "test_registry.h"
#include "trace_file.h"

#include <gtest/gtest.h>

namespace {

class DirectorySettings : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProductRegistry();
        trace_ = FreshTestDir("settings-trace") + "\\trace.log";
        TraceToFile(trace_);
    }
    void TearDown() override { ResetProductRegistry(); }
    void ReadBothRoots() {
        app_.GetUserInfo(HKEY_LOCAL_MACHINE);
        app_.GetUserInfo(HKEY_CURRENT_USER);
    }
    static void Machine(const char* name, const std::string& value) {
        SetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, name, value);
    }
    static void User(const char* name, const std::string& value) {
        SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, name, value);
    }
    CTarnbookApp app_;
    std::string trace_;
};

TEST_F(DirectorySettings, PerUserValuesWinAndMachineWideOnesFillTheRestAndWhatIsEmpty) {
    Machine("HostName", "ldap.example.org");
    Machine("SearchBase", "o=Example");
    Machine("PortNumber", "389");
    Machine("NotesIniPath", "C:\\Notes\\notes.ini");
    User("HostName", "");
    User("PortNumber", "1389");
    ReadBothRoots();
    EXPECT_EQ(app_.HostName(), "ldap.example.org") << "an empty per-user value hid the machine's";
    EXPECT_EQ(app_.SearchBase(), "o=Example");
    EXPECT_EQ(app_.PortNumber(), 1389);
    EXPECT_STREQ(app_.NotesIniPath(), "C:\\Notes\\notes.ini");
}

TEST_F(DirectorySettings, NothingStoredLeavesTheDefaultsAndTracesEachMissingKey) {
    ReadBothRoots();
    EXPECT_EQ(app_.HostName(), "");
    EXPECT_EQ(app_.SearchBase(), "");
    EXPECT_EQ(app_.PortNumber(), 0);
    EXPECT_STREQ(app_.NotesIniPath(), "notes.ini");
    EXPECT_EQ(TracedTexts(trace_), (std::vector<std::string>{"GetUserInfo::RegCreateKey failed",
                                                             "GetUserInfo::RegCreateKey failed"}));
}

TEST_F(DirectorySettings, ThePortIsConvertedLikeTheStandardDecimalConversion) {
    const std::pair<const char*, int> cases[] = {{" 389x", 389}, {"x389", 0}, {"636", 636}};
    for (const auto& [text, port] : cases) {
        User("PortNumber", text);
        CTarnbookApp app;
        app.GetUserInfo(HKEY_CURRENT_USER);
        EXPECT_EQ(app.PortNumber(), port) << text;
    }
}

TEST_F(DirectorySettings, APortStoredAsANumberDoesNotYieldItsValue) {
    SetRegistryDword(HKEY_CURRENT_USER, TARN_NOTES_KEY, "PortNumber", 389);
    app_.GetUserInfo(HKEY_CURRENT_USER);
    EXPECT_EQ(app_.PortNumber(), 0);
}

TEST_F(DirectorySettings, AValueThatDoesNotFitItsBufferIsNotTaken) {
    Machine("SearchBase", "o=Machine");
    User("SearchBase", std::string(260, 's'));
    User("HostName", std::string(259, 'h'));
    ReadBothRoots();
    EXPECT_EQ(app_.SearchBase(), "o=Machine");
    EXPECT_EQ(app_.HostName(), std::string(259, 'h'));
}

TEST_F(DirectorySettings, AStringStoredWithoutTerminatorIsReadWithinItsBuffer) {
    SetRegistryBytes(HKEY_CURRENT_USER, TARN_NOTES_KEY, "HostName", REG_SZ, "ldap");
    SetRegistryBytes(HKEY_CURRENT_USER, TARN_NOTES_KEY, "SearchBase", REG_SZ,
                     std::string(260, 'b'));
    app_.GetUserInfo(HKEY_CURRENT_USER);
    EXPECT_EQ(app_.HostName(), "ldap");
    EXPECT_EQ(app_.SearchBase(), "");
}

TEST_F(DirectorySettings, SavingWritesTheFieldsPerUserOnlyAndAnEmptyOneAsNoValue) {
    Machine("HostName", "ldap.example.org");
    ReadBothRoots();
    app_.SaveUserInfo();
    EXPECT_EQ(GetRegistryBytes(HKEY_CURRENT_USER, TARN_NOTES_KEY, "HostName"),
              std::string("ldap.example.org", 17));
    EXPECT_FALSE(GetRegistryBytes(HKEY_CURRENT_USER, TARN_NOTES_KEY, "SearchBase"))
        << "an emptied field would hide the machine's value";
    EXPECT_EQ(GetRegistryBytes(HKEY_CURRENT_USER, TARN_NOTES_KEY, "PortNumber"),
              std::string("0", 2));
    EXPECT_FALSE(GetRegistryBytes(HKEY_CURRENT_USER, TARN_NOTES_KEY, "NotesIniPath"));
    EXPECT_FALSE(GetRegistryBytes(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "PortNumber"));
}

// The policy keys above the product keys: the computer's wins over the user's, either over the
// product keys, and a policy key without the value changes nothing.
TEST_F(DirectorySettings, APolicyDecidesOverTheProductKeysAndTheComputersOverTheUsers) {
    struct Case {
        const char* machinePolicy; // nullptr: the value is not in that policy key
        const char* userPolicy;
        const char* host;
    } const cases[] = {
        {nullptr, nullptr, "user.example.org"},
        {nullptr, "user-policy.example.org", "user-policy.example.org"},
        {"machine-policy.example.org", "user-policy.example.org", "machine-policy.example.org"},
        // An empty policy value is no value: the next layer decides.
        {"", nullptr, "user.example.org"},
        {"", "user-policy.example.org", "user-policy.example.org"},
    };
    for (const Case& c : cases) {
        ResetProductRegistry();
        Machine("HostName", "machine.example.org");
        User("HostName", "user.example.org");
        // Each policy key exists, with another value, so that only the value's absence counts.
        SetRegistryString(HKEY_LOCAL_MACHINE, TARN_POLICY_NOTES_KEY, "SearchBase", "o=Policy");
        SetRegistryString(HKEY_CURRENT_USER, TARN_POLICY_NOTES_KEY, "BindUser", "reader");
        if (c.machinePolicy)
            SetRegistryString(HKEY_LOCAL_MACHINE, TARN_POLICY_NOTES_KEY, "HostName",
                              c.machinePolicy);
        if (c.userPolicy)
            SetRegistryString(HKEY_CURRENT_USER, TARN_POLICY_NOTES_KEY, "HostName", c.userPolicy);
        CTarnbookApp app;
        app.GetUserInfo(HKEY_LOCAL_MACHINE);
        app.GetUserInfo(HKEY_CURRENT_USER);
        app.GetPolicyInfo();
        EXPECT_EQ(app.HostName(), c.host);
        EXPECT_EQ(app.IsManaged("HostName"), std::string(c.host) != "user.example.org") << c.host;
    }
}

TEST_F(DirectorySettings, EverySettingOfTheNotesKeyButThePasswordHasItsPolicy) {
    const std::pair<const char*, const char*> policies[] = {
        {"HostName", "ldap.policy"},       {"PortNumber", "1636"},   {"SearchBase", "o=Policy"},
        {"NotesIniPath", "P:\\notes.ini"}, {"BindMethod", "simple"}, {"BindUser", "reader"},
        {"BindDomain", "POLICY"},          {"Security", "ldaps"},    {"AllowClearTextBind", "0"}};
    for (const auto& [name, value] : policies) {
        User(name, "own");
        SetRegistryString(HKEY_LOCAL_MACHINE, TARN_POLICY_NOTES_KEY, name, value);
    }
    ReadBothRoots();
    app_.GetPolicyInfo();
    EXPECT_EQ(app_.HostName(), "ldap.policy");
    EXPECT_EQ(app_.PortNumber(), 1636);
    EXPECT_EQ(app_.SearchBase(), "o=Policy");
    EXPECT_STREQ(app_.NotesIniPath(), "P:\\notes.ini");
    const DirectoryAccess& access = app_.Access();
    EXPECT_EQ(access.method + "|" + access.user + "|" + access.domain + "|" + access.security,
              "simple|reader|POLICY|ldaps");
    EXPECT_EQ(access.allowClearText, "0");
    EXPECT_TRUE(app_.IsManaged("AllowClearTextBind"));
}

// Policies are read by their registry type; the product keys keep their own reading. A value of
// a wrong type gives way to the next layer with a red line, but for a setting that decides the
// book: that one is reported when the download would start, and the run ends there.
TEST_F(DirectorySettings, APolicyIsTakenByItsTypeAndOneOfAWrongTypeLeavesTheFieldToTheUser) {
    User("HostName", "own.example.org");
    User("Refresh", "changed");
    SetRegistryDword(HKEY_LOCAL_MACHINE, TARN_POLICY_NOTES_KEY, "PortNumber", 389);
    SetRegistryBytes(HKEY_LOCAL_MACHINE, TARN_POLICY_NOTES_KEY, "HostName", REG_BINARY,
                     "policy.example.org");
    SetRegistryBytes(HKEY_LOCAL_MACHINE, TARN_POLICY_NOTES_KEY, "Refresh", REG_BINARY, "always");
    ReadBothRoots();
    app_.GetPolicyInfo();
    EXPECT_EQ(app_.PortNumber(), 389);
    EXPECT_TRUE(app_.IsManaged("PortNumber"));
    EXPECT_EQ(app_.HostName(), "own.example.org");
    EXPECT_FALSE(app_.IsManaged("HostName")) << "the field stays editable";
    const std::vector<std::string> traced = TracedTexts(trace_);
    ASSERT_EQ(traced.size(), 2u) << ::testing::PrintToString(traced);
    EXPECT_NE(traced[1].find("Refresh"), std::string::npos) << traced[1];
    EXPECT_NE(traced[1].find("REG_BINARY"), std::string::npos) << traced[1];
}

// The search base goes to the server as it is stored: every character, whatever the code page.
TEST_F(DirectorySettings, TheSearchBaseIsReadAndSavedInUtf16) {
    const std::string base = u8"ou=Łódź,o=Ελλάδα";
    for (HKEY layer : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        ResetProductRegistry();
        if (layer == HKEY_CURRENT_USER)
            SetRegistryUtf8(HKEY_CURRENT_USER, TARN_NOTES_KEY, "SearchBase", base);
        else
            SetRegistryUtf8(HKEY_LOCAL_MACHINE, TARN_POLICY_NOTES_KEY, "SearchBase", base,
                            REG_EXPAND_SZ);
        CTarnbookApp app;
        app.GetUserInfo(HKEY_LOCAL_MACHINE);
        app.GetUserInfo(HKEY_CURRENT_USER);
        app.GetPolicyInfo();
        EXPECT_EQ(app.SearchBase(), base);
        app.SaveUserInfo();
        // Where a policy decides, the user's own (here none) is kept: no value at all.
        if (layer == HKEY_CURRENT_USER)
            EXPECT_EQ(GetRegistryUtf8(HKEY_CURRENT_USER, TARN_NOTES_KEY, "SearchBase"), base);
        else
            EXPECT_FALSE(GetRegistryUtf8(HKEY_CURRENT_USER, TARN_NOTES_KEY, "SearchBase"));
    }
}

TEST_F(DirectorySettings, SavingKeepsTheUsersOwnValueWhereAPolicyDecides) {
    User("HostName", "own.example.org");
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_POLICY_NOTES_KEY, "HostName", "policy.example.org");
    SetRegistryString(HKEY_CURRENT_USER, TARN_POLICY_NOTES_KEY, "PortNumber", "1389");
    ReadBothRoots();
    app_.GetPolicyInfo();
    app_.SaveUserInfo();
    EXPECT_EQ(GetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "HostName"), "own.example.org");
    EXPECT_EQ(GetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "PortNumber"), "0");
}

} // namespace
