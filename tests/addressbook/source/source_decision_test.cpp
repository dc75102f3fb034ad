#include "source/local_copy.h"
#include "source/source_decision.h"

#include "refresh/sha256.h"

#include <gtest/gtest.h>

namespace {

constexpr char kFolder[] = "\\\\files\\book$\\Published";
constexpr char kBookSha[] = "a1a1";

// Version 42, its differences kept from 39 on and one older, 36 to 37: 37 to 39 is a gap.
Manifest PublishedManifest() {
    Manifest manifest;
    manifest.version = 42;
    manifest.snapshotSha256 = kBookSha;
    for (unsigned long from : {36ul, 39ul, 40ul, 41ul})
        manifest.differences.push_back({from, from + 1, DifferenceFileName(from, from + 1), "d"});
    return manifest;
}

TEST(SourceDecision, WhatADesktopReadsOfAPublication) {
    const struct {
        const char* what;
        bool present;
        const char* folder;
        unsigned long version;
        const char* sha;
        bool due;
        SourceStep step;
        unsigned long firstFrom; // Differences: where the chain starts
        size_t differences;
        const char* why; // Snapshot: a word of why ("" for none)
    } cases[] = {
        {"no local copy", false, kFolder, 0, "", false, SourceStep::Snapshot, 0, 0, ""},
        {"the same version", true, kFolder, 42, kBookSha, false, SourceStep::Unchanged, 0, 0, ""},
        {"the same, RefreshDays due", true, kFolder, 42, kBookSha, true, SourceStep::FromCopy, 0, 0,
         ""},
        {"one behind", true, kFolder, 41, "b", false, SourceStep::Differences, 41, 1, ""},
        {"three behind", true, kFolder, 39, "b", true, SourceStep::Differences, 39, 3, ""},
        {"behind a gap", true, kFolder, 37, "b", false, SourceStep::Snapshot, 0, 0, "no longer"},
        {"older than any difference", true, kFolder, 12, "b", false, SourceStep::Snapshot, 0, 0,
         "no longer"},
        {"the same version made again", true, kFolder, 42, "other", false, SourceStep::Snapshot, 0,
         0, "does not continue"},
        {"ahead of the publication", true, kFolder, 50, "b", false, SourceStep::Snapshot, 0, 0,
         "does not continue"},
        {"from another folder", true, "\\\\files\\other", 42, kBookSha, false, SourceStep::Snapshot,
         0, 0, "another folder"},
    };
    const Manifest manifest = PublishedManifest();
    for (const auto& c : cases) {
        LocalCopyFacts copy;
        copy.present = c.present;
        copy.folder = c.folder;
        copy.version = c.version;
        copy.sha256 = c.sha;
        const SourceDecision decision = DecideSource(manifest, copy, kFolder, c.due);
        EXPECT_EQ(decision.step, c.step) << c.what;
        ASSERT_EQ(decision.chain.size(), c.differences) << c.what;
        if (c.differences > 0) {
            EXPECT_EQ(decision.chain.front().from, c.firstFrom) << c.what;
            EXPECT_EQ(decision.chain.back().to, manifest.version) << c.what;
        }
        EXPECT_NE(decision.why.find(c.why), std::string::npos) << c.what << ": " << decision.why;
        EXPECT_EQ(decision.why.empty(), *c.why == '\0') << c.what << ": " << decision.why;
    }
}

TEST(SourceDecision, BookSourceIsAFullyQualifiedFolder) {
    const struct {
        const char* folder;
        bool qualified;
    } cases[] = {
        {"C:\\Book", true},
        {"z:\\", true},
        {"\\\\server\\share", true},
        {"\\\\server\\share\\Book", true},
        {"C:Book", false},
        {"\\Book", false},
        {"Book", false},
        {"..\\Book", false},
        {"\\\\server", false},
        {"\\\\server\\", false},
        {"\\\\\\share", false},
        {"\\\\?\\C:\\Book", false},
        {"\\\\.\\pipe\\x", false},
        {"", false},
        {"1:\\Book", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsFullyQualifiedFolder(c.folder), c.qualified) << c.folder;
}

TEST(SourceDecision, BookSourceFallbackIsDirectoryUnlessNone) {
    const struct {
        const char* value;
        SourceFallback fallback;
        bool understood;
    } cases[] = {
        {"", SourceFallback::Directory, true},    {"directory", SourceFallback::Directory, true},
        {"NONE", SourceFallback::None, true},     {"none", SourceFallback::None, true},
        {"no", SourceFallback::Directory, false}, {"none ", SourceFallback::Directory, false},
    };
    for (const auto& c : cases) {
        SourceFallback fallback = SourceFallback::None;
        EXPECT_EQ(ParseSourceFallback(c.value, fallback), c.understood) << c.value;
        EXPECT_EQ(fallback, c.fallback) << c.value;
    }
}

TEST(LocalCopyText, ReadsBackWhatItWroteAndRefusesADamagedCopy) {
    LocalCopy copy;
    copy.snapshot = "version: 1\n\ndn: cn=A\nsn: A\n";
    Sha256 sha;
    sha.Add(copy.snapshot.data(), copy.snapshot.size());
    copy.facts = {true, kFolder, 7, sha.HexDigest()};
    copy.time = 133000000000000000ull;
    copy.owner = {"computer", "notes", "bridge", "program"};
    const std::string text = LocalCopyText(copy);
    LocalCopy read;
    std::string why;
    ASSERT_TRUE(ParseLocalCopy(text, read, why)) << why;
    EXPECT_TRUE(read.facts.present);
    EXPECT_EQ(read.facts.folder, kFolder);
    EXPECT_EQ(read.facts.version, 7u);
    EXPECT_EQ(read.time, copy.time);
    EXPECT_EQ(read.owner.bridge, "bridge");
    EXPECT_EQ(read.snapshot, copy.snapshot);

    std::string flipped = text;
    flipped[flipped.size() - 3] ^= 1;
    const std::string damaged[] = {flipped, text.substr(0, text.size() - 1), text + "x",
                                   "TARNBOOK local copy: 2\n" + text.substr(text.find('\n') + 1),
                                   ""};
    for (const std::string& each : damaged) {
        LocalCopy none;
        why.clear();
        EXPECT_FALSE(ParseLocalCopy(each, none, why));
        EXPECT_FALSE(why.empty());
        EXPECT_FALSE(none.facts.present);
    }
}

} // namespace
