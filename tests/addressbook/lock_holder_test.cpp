#include "lock_holder.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint64_t kSecond = 10000000;

TEST(LockHolder, TheFileSaysWhoHoldsTheLockAndAnyOtherContentSaysNothing) {
    LockHolder holder;
    holder.pid = 4294967295ul;
    holder.start = 134000000000000000ull;
    holder.boundSeconds = LockBoundSeconds(3600);
    LockHolder read;
    ASSERT_TRUE(ParseLockHolder(LockHolderText(holder), read)) << LockHolderText(holder);
    EXPECT_EQ(read.pid, holder.pid);
    EXPECT_EQ(read.start, holder.start);
    EXPECT_EQ(read.boundSeconds, 3600 + kRunBoundSeconds);
    for (const char* text :
         {"", "\r\n", "TARNBOOK 12 134000000000000000", "TARNSETUP 12 1 900", "TARNBOOK 12 1 900 4",
          "TARNBOOK x 1 900", "TARNBOOK 12 1 -900", "TARNBOOK 4294967296 1 900"})
        EXPECT_FALSE(ParseLockHolder(text, read)) << text;
}

TEST(LockHolder, ALockIsStuckOnlyOnceItsHolderIsPastItsBound) {
    LockHolder holder;
    holder.start = 1000 * kSecond;
    holder.boundSeconds = 900;
    const struct {
        std::uint64_t now;
        bool stuck;
    } cases[] = {
        {1000 * kSecond, false},  {1900 * kSecond, false}, {1901 * kSecond, true},
        {100000 * kSecond, true}, {999 * kSecond, false}, // the clock was set back
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsLockStuck(holder, c.now), c.stuck) << c.now / kSecond;
}

TEST(LockHolder, ARunAtWorkExtendsItsBoundFromNowOn) {
    LockHolder holder;
    holder.start = 1000 * kSecond;
    holder.boundSeconds = 3600 + kRunBoundSeconds;
    const struct {
        std::uint64_t now;
        unsigned long bound;
    } cases[] = {
        {1000 * kSecond, 3600 + kRunBoundSeconds}, // within RefreshDelay's wait: as it was
        {4600 * kSecond, 3600 + kRunBoundSeconds},
        {5000 * kSecond, 4000 + kRunBoundSeconds}, // writing after the wait: from now on
        {999 * kSecond, 3600 + kRunBoundSeconds},  // the clock was set back
    };
    for (const auto& c : cases)
        EXPECT_EQ(BoundAtWork(holder, c.now), c.bound) << c.now / kSecond;
}

} // namespace
