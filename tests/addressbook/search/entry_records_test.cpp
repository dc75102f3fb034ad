// The packed records of a search's entries: what goes in comes out, in order.
#include "search/entry_records.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

EntryRecord Record(const std::string& last, const std::string& first, const std::string& phone,
                   const std::string& mail, bool hasMail, bool exact, const std::string& name) {
    EntryRecord record;
    record.lastName = last;
    record.firstName = first;
    record.phone = phone;
    record.mail = mail;
    record.hasMail = hasMail;
    record.exact = exact;
    record.name = name;
    return record;
}

void ExpectRecords(const EntryRecords& records, const std::vector<EntryRecord>& expected) {
    EXPECT_EQ(records.Count(), expected.size());
    EntryRecords::Cursor cursor(records);
    EntryRecord read;
    for (size_t i = 0; i < expected.size(); ++i) {
        ASSERT_TRUE(cursor.Next(read)) << "record " << i;
        const EntryRecord& want = expected[i];
        EXPECT_EQ(read.lastName, want.lastName) << i;
        EXPECT_EQ(read.firstName, want.firstName) << i;
        EXPECT_EQ(read.phone, want.phone) << i;
        EXPECT_EQ(read.mail, want.mail) << i;
        EXPECT_EQ(read.hasMail, want.hasMail) << i;
        EXPECT_EQ(read.exact, want.exact) << i;
        EXPECT_EQ(read.name, want.name) << i;
    }
    EXPECT_FALSE(cursor.Next(read));
}

TEST(EntryRecords, WhatIsAddedIsReadBackInOrderAcrossBlocksAndAppends) {
    const std::string longValue(200, 'x');        // a length of more than one byte
    const std::string hugeValue(100 * 1024, 'y'); // larger than a block
    const std::string bytes("a\0b\xff", 4);       // any byte, NUL included
    std::vector<EntryRecord> all = {
        Record("", "", "", "", false, true, ""),
        Record("Doe", "Jane", "+1 555", "jane@example.com", true, true, ""),
        Record("M?ller", "", "", "m?ller@example.com", true, false, "cn=M\xc3\xbcller,o=x"),
        Record(longValue, bytes, "", hugeValue, true, true, ""),
    };
    // Enough records to fill several blocks.
    for (int i = 0; i < 5000; ++i)
        all.push_back(Record("Last" + std::to_string(i), "First", std::to_string(i),
                             "user" + std::to_string(i) + "@example.com", true, true, ""));

    EntryRecords first, second;
    const size_t half = all.size() / 2;
    for (size_t i = 0; i < all.size(); ++i)
        (i < half ? first : second).Add(all[i]);
    first.Append(std::move(second));
    EXPECT_EQ(second.Count(), 0u);
    ExpectRecords(first, all);
    // Records added after an append follow the appended ones.
    all.push_back(Record("After", "", "", "", false, true, ""));
    first.Add(all.back());
    ExpectRecords(first, all);
    ExpectRecords(EntryRecords(), {});
}

} // namespace
