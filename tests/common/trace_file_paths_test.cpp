// Trace file paths that cannot take a line: the line is lost, nothing else is, and the
// call comes back within the client's bound.
#include "trace.h"

#include "product_keys.h"
#include "test_files.h"
#include "test_registry.h"
#include "trace_file.h"
#include "trace_viewer.h"

#include <gtest/gtest.h>

namespace {

// The client waits up to 5,000 ms for a trace file that another writer holds; a path that
// can never be opened is given up at once, well inside that wait.
constexpr DWORD kFileWaitBoundMs = 5000 + 1500;
constexpr DWORD kGiveUpBoundMs = 2500;

struct BadPath {
    const char* what;
    std::string (*make)(const std::string& dir); // the path, its folder made ready
};

const BadPath kBadPaths[] = {
    {"a folder", [](const std::string& dir) { return dir; }},
    {"on a missing drive", [](const std::string&) { return std::string("Q:\\tarn\\trace.log"); }},
    {"in a missing folder", [](const std::string& dir) { return dir + "\\missing\\trace.log"; }},
};

TEST(TraceFilePaths, APathThatCannotBeOpenedLosesTheLineOnlyAndReturns) {
    for (const BadPath& bad : kBadPaths) {
        const std::string dir = FreshTestDir("trace-bad-path");
        const std::string path = bad.make(dir);
        TraceToFile(path);
        driver::TraceViewer viewer;
        const DWORD start = GetTickCount();
        Trace("first", kTraceRed);
        Trace("second", kTraceBlue);
        const DWORD elapsed = GetTickCount() - start;
        EXPECT_EQ(viewer.Texts(), (std::vector<std::string>{"first", "second"})) << bad.what;
        EXPECT_LT(elapsed, kGiveUpBoundMs) << bad.what;
        EXPECT_EQ(GetFileAttributesA(dir.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY))
            << bad.what;
        EXPECT_FALSE(driver::FileExists(dir + "\\missing")) << bad.what;
    }
    DeleteRegistryTree(HKEY_CURRENT_USER, TARN_PRODUCT_KEY);
}

TEST(TraceFilePaths, AReadOnlyFileKeepsItsBytesOrTakesTheLineWhole) {
    // Where the platform refuses the write, the file stays as it was; where it lets the
    // write through (a process running as root under Wine), the line is appended whole.
    const std::string path = FreshTestDir("trace-read-only") + "\\trace.log";
    TraceToFile(path);
    WriteWholeFile(path, "00:00:00:000 - old\r\n");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));

    driver::TraceViewer viewer;
    const DWORD start = GetTickCount();
    Trace("line", kTraceRed);
    EXPECT_LT(GetTickCount() - start, kFileWaitBoundMs);
    EXPECT_EQ(viewer.Texts(), std::vector<std::string>{"line"});
    const std::vector<std::string> texts = TracedTexts(path);
    EXPECT_TRUE(texts == std::vector<std::string>{"old"} ||
                texts == (std::vector<std::string>{"old", "line"}))
        << driver::ReadTextFile(path);
    EXPECT_NE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteRegistryTree(HKEY_CURRENT_USER, TARN_PRODUCT_KEY);
}

} // namespace
