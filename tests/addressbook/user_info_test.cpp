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

TEST_F(DirectorySettings, PerUserValuesWinEvenWhenEmptyAndMachineWideOnesFillTheRest) {
    Machine("HostName", "ldap.example.org");
    Machine("SearchBase", "o=Example");
    Machine("PortNumber", "389");
    Machine("NotesIniPath", "C:\\Notes\\notes.ini");
    User("HostName", "");
    User("PortNumber", "1389");
    ReadBothRoots();
    EXPECT_EQ(app_.HostName(), "");
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

TEST_F(DirectorySettings, SavingWritesThreeStringsPerUserOnly) {
    Machine("HostName", "ldap.example.org");
    ReadBothRoots();
    app_.SaveUserInfo();
    EXPECT_EQ(GetRegistryBytes(HKEY_CURRENT_USER, TARN_NOTES_KEY, "HostName"),
              std::string("ldap.example.org", 17));
    EXPECT_EQ(GetRegistryBytes(HKEY_CURRENT_USER, TARN_NOTES_KEY, "SearchBase"),
              std::string("", 1));
    EXPECT_EQ(GetRegistryBytes(HKEY_CURRENT_USER, TARN_NOTES_KEY, "PortNumber"),
              std::string("0", 2));
    EXPECT_FALSE(GetRegistryBytes(HKEY_CURRENT_USER, TARN_NOTES_KEY, "NotesIniPath"));
    EXPECT_FALSE(GetRegistryBytes(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "PortNumber"));
}

} // namespace
