#include "win_path.h"

#include <gtest/gtest.h>

namespace {

using driver::JoinPath;
using driver::WindowsPath;

TEST(WindowsPath, UnixPathBecomesAPathOnDriveZ) {
    EXPECT_EQ(WindowsPath("/work/build/bin"), "Z:\\work\\build\\bin");
    EXPECT_EQ(WindowsPath("/"), "Z:\\");
    EXPECT_EQ(WindowsPath("/tmp/a b/c.ini"), "Z:\\tmp\\a b\\c.ini");
}

TEST(WindowsPath, WindowsPathsAndEmptyTextStayAsTheyAre) {
    EXPECT_EQ(WindowsPath("C:\\Lotus\\Notes"), "C:\\Lotus\\Notes");
    EXPECT_EQ(WindowsPath("c:/x"), "c:/x");
    EXPECT_EQ(WindowsPath("\\\\server\\share"), "\\\\server\\share");
    EXPECT_EQ(WindowsPath(""), "");
}

TEST(WindowsPath, RelativeUnixPathGetsBackslashesButNoDrive) {
    EXPECT_EQ(WindowsPath("data/notes.ini"), "data\\notes.ini");
}

TEST(JoinPath, PutsExactlyOneBackslashBetween) {
    EXPECT_EQ(JoinPath("Z:\\bin", "TARNBOOK.exe"), "Z:\\bin\\TARNBOOK.exe");
    EXPECT_EQ(JoinPath("Z:\\bin\\", "TARNBOOK.exe"), "Z:\\bin\\TARNBOOK.exe");
    EXPECT_EQ(JoinPath("", "TARNBOOK.exe"), "TARNBOOK.exe");
}

TEST(TestbedFolders, ComeFromTheEnvironmentAsWindowsPaths) {
    const std::string bin = driver::BinDir();
    ASSERT_FALSE(bin.empty());
    EXPECT_EQ(bin.rfind("Z:\\", 0), 0u) << bin;
    EXPECT_EQ(driver::BinFile("tarn_probe.exe"), bin + "\\tarn_probe.exe");
}

} // namespace
