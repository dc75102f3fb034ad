#include "marker/control_values.h"
#include "marker/marker_source.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int value : values)
        bytes += static_cast<char>(value);
    return bytes;
}

TEST(DirSyncValue, TheRequestIsTheSequenceTheServerReads) {
    // Flags 1 (object security), 1 MiB, no cookie yet.
    EXPECT_EQ(EncodeDirSyncRequest(kDirSyncObjectSecurity, 1048576, ""),
              Bytes({0x30, 0x0a, 0x02, 0x01, 0x01, 0x02, 0x03, 0x10, 0x00, 0x00, 0x04, 0x00}));
    // A flag in the top bit is a negative 32-bit INTEGER, in as few bytes as keep the sign;
    // 128 needs a leading zero.
    EXPECT_EQ(EncodeDirSyncRequest(0x80000000ul, 128, "ab"),
              Bytes({0x30, 0x0e, 0x02, 0x04, 0x80, 0x00, 0x00, 0x00, 0x02, 0x02, 0x00, 0x80, 0x04,
                     0x02, 'a', 'b'}));
    // A long cookie takes the long form of the length.
    const std::string cookie(300, 'c');
    const std::string value = EncodeDirSyncRequest(1, 0, cookie);
    EXPECT_EQ(value.substr(0, 4), Bytes({0x30, 0x82, 0x01, 0x36}));
    EXPECT_EQ(value.substr(10, 4), Bytes({0x04, 0x82, 0x01, 0x2c}));
    EXPECT_EQ(value.size(), 4u + 0x136);
}

TEST(DirSyncValue, AResponseIsReadOnlyWhenWhole) {
    DirSyncResponse response;
    // As Samba's domain controller answered: no more results, a cookie.
    ASSERT_TRUE(DecodeDirSyncResponse(
        Bytes({0x30, 0x0b, 0x02, 0x01, 0x00, 0x02, 0x01, 0x00, 0x04, 0x03, 'M', 'S', 'D'}),
        response));
    EXPECT_FALSE(response.moreResults);
    EXPECT_EQ(response.cookie, "MSD");
    ASSERT_TRUE(DecodeDirSyncResponse(
        Bytes({0x30, 0x09, 0x02, 0x01, 0x01, 0x02, 0x01, 0x00, 0x04, 0x01, 'x'}), response));
    EXPECT_TRUE(response.moreResults);
    const std::string broken[] = {
        "",
        Bytes({0x30, 0x09, 0x02, 0x01, 0x01, 0x02, 0x01, 0x00, 0x04, 0x02, 'x'}),    // cut
        Bytes({0x30, 0x09, 0x02, 0x01, 0x01, 0x02, 0x01, 0x00, 0x04, 0x01, 'x', 0}), // trailing
        Bytes({0x31, 0x09, 0x02, 0x01, 0x01, 0x02, 0x01, 0x00, 0x04, 0x01, 'x'}),    // a SET
        Bytes({0x30, 0x07, 0x02, 0x01, 0x01, 0x04, 0x02, 'x', 'y'}),                 // no unused
        Bytes({0x30, 0x08, 0x02, 0x00, 0x02, 0x01, 0x00, 0x04, 0x01, 'x'}), // empty INTEGER
        Bytes({0x30, 0x85, 0x01, 0x00, 0x00, 0x00, 0x00}), // a length of five bytes
    };
    for (const std::string& value : broken)
        EXPECT_FALSE(DecodeDirSyncResponse(value, response)) << ::testing::PrintToString(value);
}

TEST(ListViewValue, TheCountIsReadFromASuccessOnly) {
    // As Samba answered a list view past its 371 entries: position 372, count 371, success.
    unsigned long count = 0;
    ASSERT_TRUE(DecodeVlvCount(Bytes({0x30, 0x11, 0x02, 0x02, 0x01, 0x74, 0x02, 0x02, 0x01, 0x73,
                                      0x0a, 0x01, 0x00, 0x04, 0x04, 0x01, 0x00, 0x00, 0x00}),
                               count));
    EXPECT_EQ(count, 371u);
    EXPECT_FALSE(DecodeVlvCount(
        Bytes({0x30, 0x09, 0x02, 0x01, 0x00, 0x02, 0x01, 0x05, 0x0a, 0x01, 0x35}), count))
        << "a refused list view counts nothing";
    EXPECT_FALSE(DecodeVlvCount(
        Bytes({0x30, 0x09, 0x02, 0x01, 0x00, 0x02, 0x01, 0xff, 0x0a, 0x01, 0x00}), count))
        << "a negative count";
    EXPECT_EQ(EncodeVlvRequest("zz"),
              Bytes({0x30, 0x0a, 0x02, 0x01, 0x00, 0x02, 0x01, 0x00, 0x81, 0x02, 'z', 'z'}));
    EXPECT_EQ(EncodeSortRequest("cn"), Bytes({0x30, 0x06, 0x30, 0x04, 0x04, 0x02, 'c', 'n'}));
}

TEST(ControlValueBytes, AValueWithoutBytesIsEmptyWhateverItsLength) {
    const struct {
        const char* bytes;
        unsigned long length;
        std::string value;
    } cases[] = {
        {nullptr, 0, ""},
        {nullptr, 16, ""},
        {"\x30\x03\x02\x01\x00", 5, std::string("\x30\x03\x02\x01\x00", 5)},
        {"ab\0cd", 5, std::string("ab\0cd", 5)},
        {"abc", 2, "ab"},
    };
    for (const auto& test : cases)
        EXPECT_EQ(ValueBytes(test.bytes, test.length), test.value) << test.length;
}

TEST(CookieText, Base64GoesBothWaysAndRefusesWhatItNeverWrites) {
    const struct {
        const char* bytes;
        const char* text;
    } pairs[] = {{"", ""},        {"f", "Zg=="},        {"fo", "Zm8="},
                 {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {"\xff\xfe\x00", "//4A"}};
    for (const auto& pair : pairs) {
        const std::string bytes(pair.bytes,
                                std::string(pair.text) == "//4A" ? 3 : std::strlen(pair.bytes));
        EXPECT_EQ(Base64(bytes), pair.text);
        std::string back;
        ASSERT_TRUE(FromBase64(pair.text, back)) << pair.text;
        EXPECT_EQ(back, bytes);
    }
    std::string out;
    for (const char* bad : {"Zg=", "Zg=a", "Z===", "Zh==", "Zm9v!A==", "=Zg="})
        EXPECT_FALSE(FromBase64(bad, out)) << bad;
}

// A done value as slapd's provider sends it: a cookie, with refreshDeletes TRUE or without it.
std::string SyncDone(const std::string& cookie, bool deletes = true) {
    std::string content = Bytes({0x04, static_cast<int>(cookie.size())}) + cookie;
    if (deletes)
        content += Bytes({0x01, 0x01, 0xff});
    return Bytes({0x30, static_cast<int>(content.size())}) + content;
}

TEST(SyncValue, TheRequestIsARefreshWithoutCookie) {
    EXPECT_EQ(EncodeSyncRefreshOnly(), Bytes({0x30, 0x03, 0x0a, 0x01, 0x01}));
}

TEST(SyncValue, TheStateIsTheSetOfTheCookiesCsnsAndNothingElse) {
    const std::string csn = "20261210153438.177262Z#000000#000#000000";
    const struct {
        const char* what;
        std::string value;
        std::string state;
    } cases[] = {
        {"slapd's answer", SyncDone("rid=000,csn=" + csn), csn},
        {"several servers' csns, in any order", SyncDone("rid=001,sid=002,csn=b#2;a#1"), "a#1 b#2"},
        {"other fields around it", SyncDone("rid=000,delcsn=x#9,csn=a#1,sid=001", false), "a#1"},
        // A provider whose naming context holds no change yet names no state.
        {"no cookie", Bytes({0x30, 0x00}), ""},
        {"no cookie, refreshDeletes", Bytes({0x30, 0x03, 0x01, 0x01, 0xff}), ""},
        {"a cookie without csn", SyncDone("rid=000"), ""},
        {"an empty csn field", SyncDone("rid=000,csn="), ""},
        {"an empty csn among others", SyncDone("csn=a#1;;b#2"), ""},
        {"a blank in a csn", SyncDone("csn=a#1 b#2"), ""},
        {"a cookie that is not text", SyncDone(std::string("csn=a#1\0", 8)), ""},
        {"bytes after it", SyncDone("csn=a#1") + '\0', ""},
        {"a BOOLEAN of two bytes", Bytes({0x30, 0x04, 0x01, 0x02, 0xff, 0xff}), ""},
        {"the fields in the wrong order", Bytes({0x30, 0x08, 0x01, 0x01, 0xff, 0x04, 0x03}) + "c=a",
         ""},
        {"empty", "", ""},
    };
    for (const auto& test : cases)
        EXPECT_EQ(SyncDoneState(test.value), test.state) << test.what;
}

TEST(MarkerSourceChoice, TheServerFamilyIsToldByWhatItsRootEntryOffers) {
    RootDseFacts ad;
    ad.namingContexts = {"DC=tarn,DC=test", "CN=Configuration,DC=tarn,DC=test"};
    ad.supportedControls = {"1.2.840.113556.1.4.319", kDirSyncOid};
    const MarkerSource dirSync = ChooseMarkerSource(ad, "OU=People,DC=tarn,DC=test");
    EXPECT_EQ(dirSync.family, MarkerFamily::DirSync);
    EXPECT_EQ(dirSync.namingContext, "DC=tarn,DC=test");

    RootDseFacts ds;
    ds.namingContexts = {"dc=tarn,dc=test"};
    ds.lastUsn = {"userroot=254", "changelog=9"};
    ds.vendorVersion = "389-Directory/2.3.1";
    ds.dataVersion = "020261209230422";
    const MarkerSource usn = ChooseMarkerSource(ds, "ou=People,dc=tarn,dc=test");
    EXPECT_EQ(usn.family, MarkerFamily::LastUsn);
    EXPECT_EQ(usn.marker, "changelog=9 userroot=254") << "a set, in any order the server sends";
    EXPECT_EQ(usn.server, "389-Directory/2.3.1 020261209230422");
    ds.dataVersion.clear();
    EXPECT_EQ(ChooseMarkerSource(ds, "dc=tarn,dc=test").family, MarkerFamily::None)
        << "a counter without the server's identity is never compared";

    RootDseFacts openLdap;
    openLdap.namingContexts = {"dc=tarn,dc=test", "dc=paged,dc=test"};
    openLdap.supportedControls = {"1.2.840.113556.1.4.319", kContentSyncOid};
    EXPECT_EQ(ChooseMarkerSource(openLdap, "dc=paged,dc=test").family, MarkerFamily::ContextCsn);
    EXPECT_EQ(ChooseMarkerSource(openLdap, "dc=other,dc=test").family, MarkerFamily::None);
    // Without the provider that keeps it current, a contextCSN may stand still over changes.
    openLdap.supportedControls = {"1.2.840.113556.1.4.319"};
    const MarkerSource stale = ChooseMarkerSource(openLdap, "dc=paged,dc=test");
    EXPECT_EQ(stale.family, MarkerFamily::None);
    EXPECT_NE(stale.note.find("content synchronisation"), std::string::npos) << stale.note;
}

TEST(MarkerSourceChoice, TheNamingContextIsTheLongestAboveTheBase) {
    const std::vector<std::string> contexts = {"DC=tarn,DC=test",
                                               "CN=Configuration,DC=tarn,DC=test", "dc=test"};
    const struct {
        const char* base;
        const char* context;
    } cases[] = {
        {"OU=People,DC=tarn,DC=test", "DC=tarn,DC=test"},
        {"ou=people, dc=Tarn , dc=test", "DC=tarn,DC=test"},
        {"CN=Sites,CN=Configuration,DC=tarn,DC=test", "CN=Configuration,DC=tarn,DC=test"},
        {"DC=tarn,DC=test", "DC=tarn,DC=test"},
        {"DC=xtarn,DC=test", "dc=test"}, // a suffix only at a separator
        {"DC=example,DC=com", ""},
        {"", ""},
    };
    for (const auto& test : cases)
        EXPECT_EQ(NamingContextOf(contexts, test.base), test.context) << test.base;
    EXPECT_EQ(ValueSetText({"b#2", "a#1", "b#2"}), "a#1 b#2");
}

} // namespace
