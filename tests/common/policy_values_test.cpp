// Policy values read by their registry type: a text is REG_SZ or REG_EXPAND_SZ (expanded), a
// number REG_DWORD or a REG_SZ of digits; any other form counts as absent, so the next layer
// decides, and is reported with the value's name, its key and why.
#include "policy_values.h"

#include "path_text.h"
#include "product_keys.h"
#include "test_registry.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

std::string Dword(std::uint32_t value, std::size_t size = 4) {
    return std::string(reinterpret_cast<const char*>(&value), size);
}

std::string Environment(const char* name) {
    char value[MAX_PATH] = "";
    GetEnvironmentVariableA(name, value, sizeof value);
    return value;
}

const std::string kMachineKey = "HKEY_LOCAL_MACHINE\\" TARN_POLICY_NOTES_KEY;

class PolicyValues : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProductRegistry();
        SetEnvironmentVariableA("TARN_POLICY_LONG", std::string(250, 'l').c_str());
    }
    void TearDown() override {
        ResetProductRegistry();
        SetEnvironmentVariableA("TARN_POLICY_LONG", nullptr);
    }
};

TEST_F(PolicyValues, AComputerPolicyOfAWrongTypeGivesWayToTheUserPolicyAndIsReported) {
    struct Case {
        const char* name;
        DWORD type;
        std::string bytes;  // the computer policy's value
        std::string taken;  // the text read: the computer policy's, or the user policy's
        const char* report; // a part of the report, or nullptr where it is used
    } const cases[] = {
        {"NotesIniPath", REG_SZ, std::string("C:\\Notes\\notes.ini", 19), "C:\\Notes\\notes.ini",
         nullptr},
        {"NotesIniPath", REG_EXPAND_SZ, std::string("%USERPROFILE%\\notes.ini", 24),
         Environment("USERPROFILE") + "\\notes.ini", nullptr},
        {"NotesIniPath", REG_EXPAND_SZ, std::string("%TARN_POLICY_LONG%\\notes.ini", 29),
         "from the user", "expanded, it is longer than 259 characters"},
        {"HostName", REG_SZ, std::string(259, 'h'), std::string(259, 'h'), nullptr},
        {"HostName", REG_SZ, std::string(260, 'h'), "from the user", "longer than 259"},
        {"HostName", REG_DWORD, Dword(389), "from the user", "not REG_DWORD"},
        {"HostName", REG_BINARY, "ldap", "from the user", "not REG_BINARY"},
        {"HostName", REG_MULTI_SZ, std::string("ldap\0two\0", 10), "from the user",
         "not REG_MULTI_SZ"},
        {"HostName", REG_QWORD, Dword(389) + Dword(0), "from the user", "not REG_QWORD"},
        {"SearchFilter", REG_SZ, std::string(4095, 'f'), std::string(4095, 'f'), nullptr},
        {"SearchFilter", REG_SZ, std::string(4096, 'f'), "from the user", "longer than 4095"},
        {"PortNumber", REG_DWORD, Dword(389), "389", nullptr},
        {"PortNumber", REG_SZ, std::string("636", 4), "636", nullptr},
        // An empty value is no value: the user policy decides, and nothing is reported.
        {"HostName", REG_SZ, std::string("", 1), "from the user", nullptr},
        {"SearchFilter", REG_EXPAND_SZ, std::string("", 1), "from the user", nullptr},
        {"PortNumber", REG_SZ, std::string("", 1), "1389", nullptr},
        {"PortNumber", REG_SZ, std::string("38a", 4), "1389", "not the text \"38a\""},
        {"PortNumber", REG_SZ, std::string(" 389", 5), "1389", "not the text \" 389\""},
        {"PortNumber", REG_SZ, std::string("4294967296", 11), "1389", "not the text"},
        {"PortNumber", REG_EXPAND_SZ, std::string("389", 4), "1389", "not REG_EXPAND_SZ"},
        {"PortNumber", REG_DWORD, Dword(389, 2), "1389", "4 bytes"},
        {"PortNumber", REG_BINARY, Dword(389), "1389", "not REG_BINARY"},
        {"PortNumber", REG_QWORD, Dword(389) + Dword(0), "1389", "not REG_QWORD"},
    };
    for (const Case& c : cases) {
        const bool number = KindOfValue(c.name) == ValueKind::Number;
        const std::string what = std::string(c.name) + " [" + c.bytes.substr(0, 40) + "]";
        ResetProductRegistry();
        SetRegistryBytes(HKEY_LOCAL_MACHINE, TARN_POLICY_NOTES_KEY, c.name, c.type, c.bytes);
        SetRegistryString(HKEY_CURRENT_USER, TARN_POLICY_NOTES_KEY, c.name,
                          number ? "1389" : "from the user");
        PolicyReports reports;
        const std::size_t size = BufferSizeOf(c.name);
        std::string text(size + 8, '#');
        ASSERT_TRUE(ReadPolicyText(TARN_NOTES_KEY, c.name, ProductRoots::MachineThenUser,
                                   text.data(), size, reports))
            << what;
        EXPECT_EQ(text.c_str(), c.taken) << what;
        EXPECT_EQ(text.substr(size), std::string(8, '#')) << what;
        if (number) {
            DWORD value = 7;
            PolicyReports again;
            EXPECT_TRUE(ReadPolicyNumber(TARN_NOTES_KEY, c.name, ProductRoots::MachineThenUser,
                                         value, again));
            EXPECT_EQ(std::to_string(value), c.taken) << what;
        }
        if (!c.report) {
            EXPECT_TRUE(reports.empty()) << what << ": " << ::testing::PrintToString(reports);
            continue;
        }
        ASSERT_EQ(reports.size(), 1u) << what;
        for (const std::string& part :
             {std::string("policy value ") + c.name, kMachineKey, std::string(c.report)})
            EXPECT_NE(reports[0].find(part), std::string::npos) << reports[0];
    }
}

TEST_F(PolicyValues, WithoutAUsablePolicyTheProductKeysDecideAndAnOutrankedOneIsNotReported) {
    // A wrong type in both policies: none decides, both are reported.
    SetRegistryBytes(HKEY_LOCAL_MACHINE, TARN_POLICY_NOTES_KEY, "SearchBase", REG_BINARY, "o=M");
    SetRegistryBytes(HKEY_CURRENT_USER, TARN_POLICY_NOTES_KEY, "SearchBase", REG_DWORD, Dword(1));
    PolicyReports reports;
    char text[kPathBufferSize] = "unchanged";
    EXPECT_FALSE(ReadPolicyText(TARN_NOTES_KEY, "SearchBase", ProductRoots::MachineThenUser, text,
                                sizeof text, reports));
    EXPECT_STREQ(text, "unchanged");
    EXPECT_EQ(reports.size(), 2u) << ::testing::PrintToString(reports);

    // A usable computer policy decides: the user policy below it is not looked at for reports.
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_POLICY_NOTES_KEY, "SearchBase", "o=Machine");
    reports.clear();
    EXPECT_TRUE(ReadPolicyText(TARN_NOTES_KEY, "SearchBase", ProductRoots::MachineThenUser, text,
                               sizeof text, reports));
    EXPECT_STREQ(text, "o=Machine");
    EXPECT_TRUE(reports.empty()) << ::testing::PrintToString(reports);

    // A value read per user only: the computer policy is neither taken nor reported.
    SetRegistryBytes(HKEY_LOCAL_MACHINE, TARN_POLICY_PRODUCT_KEY, "TRACE TO FILE", REG_BINARY, "x");
    DWORD toFile = 5;
    reports.clear();
    EXPECT_FALSE(ReadPolicyNumber(TARN_PRODUCT_KEY, "TRACE TO FILE", ProductRoots::PerUser, toFile,
                                  reports));
    EXPECT_EQ(toFile, 5u);
    EXPECT_TRUE(reports.empty()) << ::testing::PrintToString(reports);
}

} // namespace
