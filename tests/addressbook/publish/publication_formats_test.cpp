// The published book's files: the snapshot and the differences in LDIF, the manifest, and what
// their readers refuse.
#include "publish/difference_ldif.h"
#include "publish/manifest.h"
#include "publish/publish_command.h"
#include "publish/snapshot_ldif.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace {

EntryRecord Entry(const std::string& dn, const std::string& last, const std::string& first,
                  const std::string& phone, const char* mail) {
    EntryRecord entry;
    entry.name = dn;
    entry.lastName = last;
    entry.firstName = first;
    entry.phone = phone;
    entry.hasMail = mail != nullptr;
    entry.mail = mail ? mail : "";
    return entry;
}

// Entries whose values LDIF must write in base64 or fold, sorted.
BookEntries TrickyEntries() {
    BookEntries entries = {
        Entry("cn=Anna Berg,ou=people,dc=example", "Berg", "Anna", "+46 8 555 0101",
              "anna.berg@example.com"),
        Entry("cn=\xC5\x81ukasz,ou=people,dc=example", "\xC5\x81ukasz", "", "",
              "lukasz@example.com"),
        Entry("cn=Colon,ou=people,dc=example", ":colon", " blank", "<angle", "trailing@x.com "),
        Entry("cn=Long,ou=people,dc=example", std::string(300, 'x'), "", "", "long@example.com"),
        Entry("cn=Voice,ou=people,dc=example", "Voice", "", "", "40000010"),
        Entry("cn=Empty mail,ou=people,dc=example", "Empty", "", "", ""),
        Entry("cn=No mail,ou=people,dc=example", "Nomail", "Has", "1", nullptr),
        Entry("cn=Line\nbreak,ou=people,dc=example", "Break", "", "", "b@example.com"),
    };
    SortBookEntries(entries);
    return entries;
}

bool SameEntries(const BookEntries& a, const BookEntries& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), SameEntry);
}

TEST(PublishedSnapshot, GoesBothWaysInSortedFoldedLinesWhateverTheValues) {
    SearchRequest request;
    const BookEntries entries = TrickyEntries();
    const std::string ldif = SnapshotLdif(entries, request);
    BookEntries read;
    LdifProblem problem;
    ASSERT_TRUE(ReadSnapshotLdif(ldif, request, read, problem)) << LdifProblemText("s", problem);
    EXPECT_TRUE(SameEntries(entries, read));
    std::istringstream lines(ldif);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_LE(line.size(), 76u) << line;
        EXPECT_TRUE(std::all_of(line.begin(), line.end(), [](char c) {
            return c > 0 && c != '\r';
        })) << line;
    }
    // The same entries in another order give the same bytes.
    BookEntries shuffled(entries.rbegin(), entries.rend());
    SortBookEntries(shuffled);
    EXPECT_EQ(SnapshotLdif(shuffled, request), ldif);
    EXPECT_NE(ldif.find("\nsn:: OmNvbG9u\n"), std::string::npos); // ":colon"
}

TEST(PublishedSnapshot, AnAttributeTwoFieldsTakeIsWrittenOnceAndFillsBoth) {
    SearchRequest request;
    request.lastName = request.mail = "cn";
    const BookEntries entries = {Entry("cn=a@x.com", "a@x.com", "A", "", "a@x.com")};
    const std::string ldif = SnapshotLdif(entries, request);
    EXPECT_EQ(ldif, "version: 1\n\ndn: cn=a@x.com\ncn: a@x.com\ngivenname: A\n");
    BookEntries read;
    LdifProblem problem;
    ASSERT_TRUE(ReadSnapshotLdif(ldif, request, read, problem));
    EXPECT_TRUE(SameEntries(entries, read));
}

TEST(PublishedDifference, TurnsOneVersionIntoTheNext) {
    SearchRequest request;
    const BookEntries from = TrickyEntries();
    BookEntries to = from;
    to.erase(to.begin());        // deleted
    to[0].phone = "+1 555 0199"; // changed phone
    to[1].lastName = "Changed";  // changed name
    to[2].hasMail = false;
    to[2].mail.clear();                    // stopped having a mail value
    to[3].name = "cn=Moved," + to[3].name; // moved: a delete and an add
    to.push_back(Entry("cn=Zed,dc=example", "Zed", "", "", "zed@example.com")); // added
    SortBookEntries(to);
    DifferenceCount count;
    const std::string ldif = DifferenceLdif(from, to, request, count);
    EXPECT_EQ(count.added, 2u);
    EXPECT_EQ(count.deleted, 2u);
    EXPECT_EQ(count.changed, 3u);
    BookEntries applied = from;
    LdifProblem problem;
    ASSERT_TRUE(ApplyDifferenceLdif(ldif, request, applied, problem))
        << LdifProblemText("d", problem);
    EXPECT_TRUE(SameEntries(applied, to));
    EXPECT_EQ(SnapshotLdif(applied, request), SnapshotLdif(to, request));
    // Nothing changed: no record.
    EXPECT_EQ(DifferenceLdif(to, to, request, count), "version: 1\n");
    EXPECT_EQ(count.Total(), 0u);
}

Manifest SampleManifest() {
    Manifest manifest;
    manifest.version = 42;
    manifest.server = "ldap.example.com:389";
    manifest.base = "ou=people,dc=example";
    manifest.request.filter = "(&(mail=*)(!(l=\xC5\x81\xC3\xB3"
                              "d\xC5\xBA)))";
    manifest.marker = "";
    manifest.snapshot = SnapshotFileName(42);
    manifest.entries = 65535;
    manifest.snapshotSha256 = std::string(64, 'a');
    for (unsigned long from = 39; from < 42; ++from)
        manifest.differences.push_back(
            {from, from + 1, DifferenceFileName(from, from + 1), std::string(64, 'b')});
    return manifest;
}

TEST(PublicationManifest, GoesBothWaysAndLeadsFromAnyKeptVersion) {
    const Manifest manifest = SampleManifest();
    Manifest read;
    LdifProblem problem;
    ASSERT_TRUE(ReadManifest(ManifestText(manifest), read, problem))
        << LdifProblemText("m", problem);
    EXPECT_EQ(read.version, 42u);
    EXPECT_EQ(read.request.filter, manifest.request.filter);
    EXPECT_EQ(read.snapshot, "snapshot-00000042.ldif");
    EXPECT_EQ(read.entries, 65535u);
    ASSERT_EQ(read.differences.size(), 3u);
    EXPECT_EQ(read.differences[0].file, "difference-00000039-00000040.ldif");
    std::vector<ManifestDifference> chain;
    EXPECT_TRUE(DifferenceChain(read, 39, chain));
    EXPECT_EQ(chain.size(), 3u);
    EXPECT_TRUE(DifferenceChain(read, 42, chain));
    EXPECT_TRUE(chain.empty());
    EXPECT_FALSE(DifferenceChain(read, 38, chain)); // a gap
    EXPECT_FALSE(DifferenceChain(read, 43, chain)); // a version after the publication's
}

TEST(PublicationFiles, OnlyTheNamesOfAPublicationAreTaken) {
    const struct {
        const char* name;
        bool taken;
    } cases[] = {{"snapshot-00000042.ldif", true},      {"difference-00000041-00000042.ldif", true},
                 {"snapshot-42.ldif", false},           {"snapshot-00000042.ldif.tmp", false},
                 {"..\\snapshot-00000042.ldif", false}, {"snapshot-0000004/.ldif", false},
                 {"C:\\Windows\\win.ini", false},       {"manifest.txt", false}};
    for (const auto& each : cases)
        EXPECT_EQ(IsPublicationFileName(each.name), each.taken) << each.name;
}

// Each reader refuses what it cannot take, naming the line.
TEST(PublicationReaders, RefuseMalformedFilesNamingTheLine) {
    const std::string manifest = ManifestText(SampleManifest());
    auto replaced = [&manifest](const std::string& from, const std::string& to) {
        std::string text = manifest;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    enum Reader { Snapshot, Difference, ManifestFile };
    const struct {
        Reader reader;
        std::string bytes;
        unsigned long line;
    } cases[] = {
        {Snapshot, "dn: cn=a\nmail: a@x\n", 1},
        {Snapshot, "version: 1\n\ndn: cn=b\nmail: b@x\n\ndn: cn=a\nmail: a@x\n", 6},
        {Snapshot, "version: 1\n\ndn: cn=a\nmail: a@x\nmail: b@x\n", 5},
        {Snapshot, "version: 1\n\ndn: cn=a\nuserPassword: x\n", 4},
        {Snapshot, "version: 1\n\ndn: cn=a\nsn:: ***\n", 4},
        {Snapshot, "version: 1\n\ndn: cn=a\nsn:< file:///etc/passwd\n", 4},
        {Snapshot, "version: 1\n\ndn: cn=a\nsn: \xC3\xA9\n", 4},
        {Snapshot, "version: 1\n\n continued\n", 3},
        {Difference, "version: 1\n\ndn: cn=a\nchangetype: add\nmail: a@x\n", 0},
        {Difference, "version: 1\n\ndn: cn=zz\nchangetype: delete\n", 3},
        {Difference, "version: 1\n\ndn: cn=a\nchangetype: modrdn\n", 4},
        {Difference, "version: 1\n\ndn: cn=a\nchangetype: modify\nreplace: sn\nsn: x\n", 5},
        {Difference, "version: 1\n\ndn: cn=a\nchangetype: delete\n\ndn: cn=a\nchangetype: delete\n",
         6},
        {ManifestFile, replaced("format: 1", "format: 2"), 1},
        {ManifestFile, replaced("version: 42", "version: 9999999999"), 2},
        {ManifestFile, replaced("snapshot-00000042.ldif", "..\\..\\secret.ldif"), 11},
        {ManifestFile, replaced("39 40", "40 39"), 12},
        {ManifestFile, replaced("server:", "host:"), 3},
        {ManifestFile, manifest + "version: 43\n", 15},
    };
    SearchRequest request;
    for (const auto& each : cases) {
        LdifProblem problem;
        bool read = false;
        if (each.reader == Snapshot) {
            BookEntries entries;
            read = ReadSnapshotLdif(each.bytes, request, entries, problem);
        } else if (each.reader == Difference) {
            // The book holds cn=a only; the first case adds it again.
            BookEntries entries = {Entry("cn=a", "", "", "", "a@x")};
            read = ApplyDifferenceLdif(each.bytes, request, entries, problem);
            if (each.line == 0) {
                EXPECT_FALSE(read);
                continue;
            }
        } else {
            Manifest parsed;
            read = ReadManifest(each.bytes, parsed, problem);
        }
        EXPECT_FALSE(read) << each.bytes;
        EXPECT_EQ(problem.line, each.line) << each.bytes << "\n" << problem.what;
        EXPECT_FALSE(problem.what.empty());
    }
}

} // namespace

namespace {

// Only "-publish" and a fully qualified folder publish; anything else keeps its meaning.
TEST(PublishCommand, TakesTheWordAndAFullyQualifiedFolderOnly) {
    const struct {
        const char* arguments;
        const char* folder; // nullptr: not the publisher's command line
    } cases[] = {{"-publish D:\\Books", "D:\\Books"},
                 {"-publish   \"\\\\srv\\share\\Book\"  ", "\\\\srv\\share\\Book"},
                 {"-publish \"C:\\Program Files\\Book\"", "C:\\Program Files\\Book"},
                 {"-publish Books", nullptr},
                 {"-publish \\Books", nullptr},
                 {"-publish C:Books", nullptr},
                 {"-publish \\\\?\\C:\\Books", nullptr},
                 {"-publish", nullptr},
                 {"-publishD:\\Books", nullptr},
                 {"-Publish D:\\Books", nullptr},
                 {"/publish D:\\Books", nullptr},
                 {"-publish \"D:\\Books", nullptr}};
    for (const auto& each : cases) {
        std::string folder;
        const bool taken = ParsePublishCommand(each.arguments, folder);
        EXPECT_EQ(taken, each.folder != nullptr) << each.arguments;
        if (taken && each.folder) {
            EXPECT_EQ(folder, each.folder) << each.arguments;
        }
    }
}

} // namespace
