#include "path_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {
std::string DirectoryOf(const char* path) {
    char dir[kPathBufferSize] = "x";
    EXPECT_TRUE(DirectoryOfPath(path, dir, sizeof dir)) << path;
    return dir;
}
} // namespace

TEST(DirectoryOfPath, IsTheTextBeforeTheLastBackslash) {
    EXPECT_EQ(DirectoryOf("C:\\Lotus\\Notes\\nnotes.dll"), "C:\\Lotus\\Notes");
    EXPECT_EQ(DirectoryOf("C:\\nnotes.dll"), "C:");
    EXPECT_EQ(DirectoryOf("nnotes.dll"), "");
    EXPECT_EQ(DirectoryOf("\\nnotes.dll"), "\\nnotes.dll");
    EXPECT_EQ(DirectoryOf("C:\\Notes\\"), "C:\\Notes");
}

TEST(DirectoryOfPath, RefusesADirectoryLongerThanItsBuffer) {
    char dir[8] = "x";
    EXPECT_FALSE(DirectoryOfPath("C:\\abcdefgh\\n.dll", dir, sizeof dir));
    EXPECT_STREQ(dir, "");
    EXPECT_TRUE(DirectoryOfPath("C:\\abcd\\n.dll", dir, sizeof dir));
    EXPECT_STREQ(dir, "C:\\abcd");
}

TEST(AppendToBuffer, NeverWritesPastTheBuffer) {
    char buffer[kPathBufferSize];
    const std::string fits(kPathBufferSize - 1 - 11, 'a');
    std::snprintf(buffer, sizeof buffer, "%s", fits.c_str());
    EXPECT_TRUE(AppendToBuffer(buffer, sizeof buffer, "\\nnotes.dll"));
    EXPECT_EQ(std::string(buffer), fits + "\\nnotes.dll");

    const std::string tooLong(kPathBufferSize - 11, 'a');
    std::snprintf(buffer, sizeof buffer, "%s", tooLong.c_str());
    EXPECT_FALSE(AppendToBuffer(buffer, sizeof buffer, "\\nnotes.dll"));
    EXPECT_EQ(std::string(buffer), tooLong);
}

TEST(CopyToBuffer, TakesOnlyWhatFitsWithItsTerminator) {
    char buffer[4] = "ab";
    EXPECT_FALSE(CopyToBuffer(buffer, sizeof buffer, "abcd"));
    EXPECT_STREQ(buffer, "ab");
    EXPECT_TRUE(CopyToBuffer(buffer, sizeof buffer, "xyz"));
    EXPECT_STREQ(buffer, "xyz");
}

TEST(IsFullyQualifiedPath, OnlyADriveRootAShareOrADevicePathNamesOneFile) {
    const struct {
        const char* path;
        bool qualified;
    } cases[] = {
        {"C:\\Lotus\\Notes\\nnotes.dll", true},
        {"d:/Notes/nnotes.dll", true},
        {"C:\\", true},
        {"\\\\server\\share\\Notes\\nnotes.dll", true},
        {"//server/share/nnotes.dll", true},
        {"\\\\?\\C:\\Lotus\\Notes\\nnotes.dll", true},
        {"\\\\?\\UNC\\server\\share\\nnotes.dll", true},
        {"\\\\.\\C:\\Notes\\nnotes.dll", true},
        // From where the program stands: the current folder, the current drive's root, a
        // drive's current folder.
        {"", false},
        {"nnotes.dll", false},
        {".\\nnotes.dll", false},
        {"..\\Notes\\nnotes.dll", false},
        {"Notes\\nnotes.dll", false},
        {"\\nnotes.dll", false},
        {"\\Lotus\\Notes\\nnotes.dll", false},
        {"/nnotes.dll", false},
        {"C:nnotes.dll", false},
        {"C:", false},
        {"C:Notes\\nnotes.dll", false},
        {"1:\\nnotes.dll", false},
        // A share path without its server or share names no share.
        {"\\\\", false},
        {"\\\\server", false},
        {"\\\\server\\", false},
        {"\\\\\\share\\nnotes.dll", false},
        {"\\\\?\\", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsFullyQualifiedPath(c.path), c.qualified) << '"' << c.path << '"';
    EXPECT_FALSE(IsFullyQualifiedPath(nullptr));
}
