#include "trace.h"

#include "product_keys.h"
#include "test_files.h"
#include "test_registry.h"
#include "trace_file.h"
#include "trace_viewer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr DWORD kTrimSource = 1048570;

class TraceClient : public ::testing::Test {
  protected:
    void SetUp() override {
        DeleteRegistryTree(HKEY_CURRENT_USER, TARN_PRODUCT_KEY);
        dir_ = FreshTestDir("trace");
        file_ = dir_ + "\\trace.log";
    }
    void TearDown() override { DeleteRegistryTree(HKEY_CURRENT_USER, TARN_PRODUCT_KEY); }
    void Mask(DWORD mask) {
        SetRegistryDword(HKEY_CURRENT_USER, TARN_PRODUCT_KEY, "TRACE COMPONENTS", mask);
    }
    std::string dir_;
    std::string file_;
};

// Bytes whose value tells their offset, so a cut can be checked by its first byte.
std::string PatternBytes(DWORD size) {
    std::string bytes(size, '\0');
    for (DWORD i = 0; i < size; ++i)
        bytes[i] = static_cast<char>('A' + i % 23);
    return bytes;
}

TEST_F(TraceClient, WithoutSettingsTheKeyIsCreatedEmptyAndEveryColourReachesTheViewer) {
    driver::TraceViewer viewer;
    ASSERT_TRUE(viewer);
    const DWORD colours[] = {0x000000, 0x800000, 0xC00000, 0xFF0000, 0x004080, 0x0000FF, 0x00FF00};
    for (DWORD colour : colours)
        Trace(("colour " + std::to_string(colour)).c_str(), colour);

    ASSERT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, TARN_PRODUCT_KEY));
    HKEY key = nullptr;
    RegOpenKeyExA(HKEY_CURRENT_USER, TARN_PRODUCT_KEY, 0, KEY_READ, &key);
    DWORD values = 99;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(key);
    EXPECT_EQ(values, 0u) << "the first trace call leaves an empty key";

    const std::vector<driver::TraceLine> lines = viewer.Lines();
    ASSERT_EQ(lines.size(), std::size(colours));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string text = "colour " + std::to_string(colours[i]);
        EXPECT_EQ(lines[i].colour, colours[i]);
        EXPECT_EQ(lines[i].text, text);
        EXPECT_EQ(lines[i].byteCount, text.size() + 1) << "the terminator travels with the text";
    }
}

TEST_F(TraceClient, MaskZeroKeepsFailuresAndUnlistedColoursAndDropsProgress) {
    driver::TraceViewer viewer;
    TraceToFile(file_);
    Mask(0);
    Trace("failure", 0x0000FF);
    Trace("progress", 0xFF0000);
    Trace("unlisted", 0x123456);
    EXPECT_EQ(viewer.Texts(), (std::vector<std::string>{"failure", "unlisted"}));
    EXPECT_EQ(TracedTexts(file_), (std::vector<std::string>{"failure", "unlisted"}));
}

TEST_F(TraceClient, MaskTwoPassesTheBluesAndDropsBlackAndBrown) {
    driver::TraceViewer viewer;
    Mask(2);
    Trace("black", 0x000000);
    Trace("dark blue", 0x800000);
    Trace("medium blue", 0xC00000);
    Trace("blue", 0xFF0000);
    Trace("brown", 0x004080);
    EXPECT_EQ(viewer.Texts(), (std::vector<std::string>{"dark blue", "medium blue", "blue"}));
}

TEST_F(TraceClient, EveryLineReadsTheSettingsAsTheyAreNowEvenAfterTheKeyWasReplaced) {
    driver::TraceViewer viewer;
    Trace("first", 0xFF0000);
    Mask(0);
    Trace("dropped", 0xFF0000);
    DeleteRegistryTree(HKEY_CURRENT_USER, TARN_PRODUCT_KEY);
    Mask(0); // a new key, with the same setting
    Trace("dropped by the new key", 0xFF0000);
    DeleteRegistryTree(HKEY_CURRENT_USER, TARN_PRODUCT_KEY);
    Trace("default again", 0xFF0000);
    EXPECT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, TARN_PRODUCT_KEY)) << "not created again";
    EXPECT_EQ(viewer.Texts(), (std::vector<std::string>{"first", "default again"}));
}

TEST_F(TraceClient, TheUserPolicyDecidesTheTraceSettingsFromTheNextLineOnAndTheComputersDoesNot) {
    driver::TraceViewer viewer;
    Mask(0xFFFFFFFF);
    Trace("before the policy", 0xFF0000);
    SetRegistryDword(HKEY_CURRENT_USER, TARN_POLICY_PRODUCT_KEY, "TRACE COMPONENTS", 0);
    SetRegistryDword(HKEY_CURRENT_USER, TARN_POLICY_PRODUCT_KEY, "TRACE TO FILE", 1);
    SetRegistryString(HKEY_CURRENT_USER, TARN_POLICY_PRODUCT_KEY, "TRACE FILE", file_);
    SetRegistryDword(HKEY_LOCAL_MACHINE, TARN_POLICY_PRODUCT_KEY, "TRACE COMPONENTS", 0xFFFFFFFF);
    Trace("progress", 0xFF0000);
    Trace("failure", 0x0000FF);
    DeleteRegistryTree(HKEY_CURRENT_USER, TARN_POLICY_PRODUCT_KEY);
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, TARN_POLICY_PRODUCT_KEY);
    EXPECT_EQ(viewer.Texts(), (std::vector<std::string>{"before the policy", "failure"}));
    EXPECT_EQ(TracedTexts(file_), (std::vector<std::string>{"failure"}));
}

TEST_F(TraceClient, ATracePolicyOfAWrongTypeCountsAsAbsentAndIsReportedInRedOncePerChange) {
    driver::TraceViewer viewer;
    // Four zero bytes taken as the mask would drop blue lines.
    SetRegistryBytes(HKEY_CURRENT_USER, TARN_POLICY_PRODUCT_KEY, "TRACE COMPONENTS", REG_BINARY,
                     std::string(4, '\0'));
    Trace("one", kTraceBlue);
    Trace("two", kTraceBlue);
    // Digits in a text are a number: a mask of 0 now keeps failures only, with no new report.
    SetRegistryString(HKEY_CURRENT_USER, TARN_POLICY_PRODUCT_KEY, "TRACE COMPONENTS", "0");
    Trace("dropped", kTraceBlue);
    Trace("failure", kTraceRed);
    // Broken again: reported again.
    SetRegistryBytes(HKEY_CURRENT_USER, TARN_POLICY_PRODUCT_KEY, "TRACE COMPONENTS", REG_QWORD,
                     std::string(8, '\0'));
    Trace("three", kTraceBlue);
    DeleteRegistryTree(HKEY_CURRENT_USER, TARN_POLICY_PRODUCT_KEY);

    const std::vector<driver::TraceLine> lines = viewer.Lines();
    ASSERT_EQ(lines.size(), 6u) << ::testing::PrintToString(viewer.Texts());
    const std::string key = "HKEY_CURRENT_USER\\" TARN_POLICY_PRODUCT_KEY;
    for (const auto& [at, type] : {std::pair<std::size_t, const char*>{0, "REG_BINARY"},
                                   std::pair<std::size_t, const char*>{4, "REG_QWORD"}}) {
        EXPECT_EQ(lines[at].colour, kTraceRed);
        for (const std::string& part : {std::string("TRACE COMPONENTS"), key, std::string(type)})
            EXPECT_NE(lines[at].text.find(part), std::string::npos) << lines[at].text;
    }
    EXPECT_EQ(lines[1].text + "|" + lines[2].text + "|" + lines[3].text + "|" + lines[5].text,
              "one|two|failure|three");
}

TEST_F(TraceClient, ATraceFilePolicyStoredExpandableIsExpandedAndDigitsSwitchFileOutputOn) {
    SetEnvironmentVariableA("TARN_TRACE_TEST_DIR", dir_.c_str());
    SetRegistryString(HKEY_CURRENT_USER, TARN_POLICY_PRODUCT_KEY, "TRACE TO FILE", "1");
    SetRegistryBytes(HKEY_CURRENT_USER, TARN_POLICY_PRODUCT_KEY, "TRACE FILE", REG_EXPAND_SZ,
                     std::string("%TARN_TRACE_TEST_DIR%\\policy.log", 33));
    Trace("expanded", kTraceRed);
    DeleteRegistryTree(HKEY_CURRENT_USER, TARN_POLICY_PRODUCT_KEY);
    SetEnvironmentVariableA("TARN_TRACE_TEST_DIR", nullptr);
    EXPECT_EQ(TracedTexts(dir_ + "\\policy.log"), std::vector<std::string>{"expanded"});
}

// A viewer that stops answering costs one bound (3 s), once: its window counts as gone for the
// rest of the run, and the file lines go on.
TEST_F(TraceClient, AViewerThatStopsAnsweringHoldsOneLineForTheBoundAndNoLineAfterIt) {
    TraceToFile(file_);
    driver::StalledViewer stalled;
    ASSERT_TRUE(stalled);
    const DWORD start = GetTickCount();
    Trace("first", kTraceRed);
    const DWORD first = GetTickCount() - start;
    Trace("second", kTraceRed);
    Trace("third", kTraceBlue);
    const DWORD rest = GetTickCount() - start - first;
    EXPECT_LT(first, 3000u + 1500u) << "the bound did not end the wait";
    EXPECT_LT(rest, 500u) << "a later line waited for the viewer again";
    EXPECT_EQ(TracedTexts(file_), (std::vector<std::string>{"first", "second", "third"}));

    // Another viewer, started after it, receives the lines.
    driver::TraceViewer next;
    Trace("fourth", kTraceRed);
    EXPECT_EQ(next.Texts(), std::vector<std::string>{"fourth"});
}

TEST_F(TraceClient, AFilteredLineDoesNotWaitForALockedFile) {
    TraceToFile(file_);
    Mask(1);
    WriteWholeFile(file_, "old");
    HANDLE lock = CreateFileA(file_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    const DWORD start = GetTickCount();
    Trace("blue", 0xFF0000);
    const DWORD elapsed = GetTickCount() - start;
    CloseHandle(lock);
    EXPECT_LT(elapsed, 2500u) << "a filtered line must not try to open the file";
    EXPECT_EQ(driver::ReadTextFile(file_), "old");
}

TEST_F(TraceClient, AFilteredLineDoesNotSendToAViewerThatIsBusy) {
    // A viewer whose thread handles no messages for a while: a send would wait for it.
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::uint32_t busyWindow = 0;
    std::thread viewer([&] {
        HWND window = CreateWindowA("STATIC", "busy viewer", 0, 0, 0, 1, 1, nullptr, nullptr,
                                    nullptr, nullptr);
        busyWindow = static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(window));
        SetEvent(ready);
        Sleep(3000);
        DestroyWindow(window);
    });
    WaitForSingleObject(ready, INFINITE);
    CloseHandle(ready);
    {
        driver::ViewerMapping busy(busyWindow);
        Mask(0);
        const DWORD start = GetTickCount();
        Trace("progress", 0xFF0000);
        EXPECT_LT(GetTickCount() - start, 1500u) << "a filtered line must not reach the viewer";
    }
    viewer.join();
}

TEST_F(TraceClient, NumbersAreReadWithoutATypeCheck) {
    // "1" stored as a string switches file output on; a one-byte zero clears the mask's
    // low byte, so blue lines are dropped; a value longer than 4 bytes keeps the default.
    SetRegistryString(HKEY_CURRENT_USER, TARN_PRODUCT_KEY, "TRACE TO FILE", "1");
    SetRegistryString(HKEY_CURRENT_USER, TARN_PRODUCT_KEY, "TRACE FILE", file_);
    SetRegistryBytes(HKEY_CURRENT_USER, TARN_PRODUCT_KEY, "TRACE COMPONENTS", REG_BINARY,
                     std::string(1, '\0'));
    Trace("blue", 0xFF0000);
    Trace("red", 0x0000FF);
    EXPECT_EQ(TracedTexts(file_), std::vector<std::string>{"red"});

    SetRegistryBytes(HKEY_CURRENT_USER, TARN_PRODUCT_KEY, "TRACE COMPONENTS", REG_BINARY,
                     std::string(5, '\0'));
    Trace("blue again", 0xFF0000);
    EXPECT_EQ(TracedTexts(file_), (std::vector<std::string>{"red", "blue again"}));
}

TEST_F(TraceClient, AFileLineIsStampTextAndLineEnd) {
    TraceToFile(file_);
    Trace("DownloadAddressBook", 0xFF0000);
    Trace("", 0x0000FF);
    const std::string content = driver::ReadTextFile(file_);
    EXPECT_TRUE(std::regex_match(content, std::regex("[0-2][0-9]:[0-5][0-9]:[0-5][0-9]:[0-9]{3} - "
                                                     "DownloadAddressBook\r\n"
                                                     "[0-2][0-9]:[0-5][0-9]:[0-5][0-9]:[0-9]{3} - "
                                                     "\r\n")))
        << content;
}

TEST_F(TraceClient, AnEmptyTextGivesTheViewerTheTerminatorAlone) {
    driver::TraceViewer viewer;
    Trace("", 0x0000FF);
    const std::vector<driver::TraceLine> lines = viewer.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].byteCount, 1u);
    EXPECT_EQ(lines[0].text, "");
}

TEST_F(TraceClient, ARelativeTraceFileLandsInTheCurrentDirectory) {
    const std::string startDir = CurrentDirectory();
    SetCurrentDirectoryA(dir_.c_str());
    TraceToFile("relative.log");
    Trace("here", 0x0000FF);
    SetCurrentDirectoryA(startDir.c_str());
    EXPECT_EQ(TracedTexts(dir_ + "\\relative.log"), std::vector<std::string>{"here"});
}

TEST_F(TraceClient, TheTraceFileWaitsOnlyWhenFileOutputIsOnAndTheFileIsNamed) {
    SetRegistryDword(HKEY_CURRENT_USER, TARN_PRODUCT_KEY, "TRACE TO FILE", 0);
    SetRegistryString(HKEY_CURRENT_USER, TARN_PRODUCT_KEY, "TRACE FILE", file_);
    Trace("not written", 0x0000FF);
    EXPECT_FALSE(driver::FileExists(file_));
    SetRegistryDword(HKEY_CURRENT_USER, TARN_PRODUCT_KEY, "TRACE TO FILE", 1);
    SetRegistryString(HKEY_CURRENT_USER, TARN_PRODUCT_KEY, "TRACE FILE", "");
    Trace("not written either", 0x0000FF);
    EXPECT_FALSE(driver::FileExists(file_));
}

TEST_F(TraceClient, AWriteThatCrossesTheLimitCutsATenthFromTheFront) {
    TraceToFile(file_);
    const std::string old = PatternBytes(kTrimSource);
    WriteWholeFile(file_, old);
    Trace("abc", 0x0000FF); // 15 + 3 + 2 = 20 bytes: 1,048,590 in all
    const std::string content = driver::ReadTextFile(file_);
    ASSERT_EQ(content.size(), 943733u);
    EXPECT_EQ(content.substr(0, 100), old.substr(104857, 100));
    EXPECT_EQ(content.substr(content.size() - 5), "abc\r\n");
}

TEST_F(TraceClient, AFileOfExactlyTheLimitAfterAWriteIsLeftAlone) {
    TraceToFile(file_);
    WriteWholeFile(file_, PatternBytes(1048556));
    Trace("abc", 0x0000FF);
    EXPECT_EQ(driver::ReadTextFile(file_).size(), 1048576u);
}

TEST_F(TraceClient, TrimTraceFileMovesTheRestForwardAndIgnoresAnInvalidHandle) {
    TrimTraceFile(INVALID_HANDLE_VALUE, 10);
    WriteWholeFile(file_, PatternBytes(30000));
    HANDLE file = CreateFileA(file_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    TrimTraceFile(file, 12345);
    CloseHandle(file);
    EXPECT_EQ(driver::ReadTextFile(file_), PatternBytes(30000).substr(12345));
}

TEST_F(TraceClient, AFileHeldWithoutReadSharingDropsTheLineAfterFiveSeconds) {
    TraceToFile(file_);
    WriteWholeFile(file_, "held\r\n");
    HANDLE lock = CreateFileA(file_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    const DWORD start = GetTickCount();
    Trace("dropped", 0x0000FF);
    const DWORD elapsed = GetTickCount() - start;
    CloseHandle(lock);
    EXPECT_GE(elapsed, 4900u);
    EXPECT_LT(elapsed, 30000u);
    EXPECT_EQ(driver::ReadTextFile(file_), "held\r\n");

    Trace("written", 0x0000FF);
    EXPECT_EQ(TracedTexts(file_).back(), "written");
}

TEST_F(TraceClient, AViewerThatHasGoneCostsNoDelayAndTheFileLineIsStillWritten) {
    HWND gone = CreateWindowA("STATIC", "gone", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(gone, nullptr);
    const auto handle = static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(gone));
    DestroyWindow(gone);
    driver::ViewerMapping stale(handle);
    ASSERT_TRUE(stale);
    TraceToFile(file_);
    const DWORD start = GetTickCount();
    Trace("still written", 0x0000FF);
    EXPECT_LT(GetTickCount() - start, 2500u);
    EXPECT_EQ(TracedTexts(file_), std::vector<std::string>{"still written"});
}

TEST_F(TraceClient, TraceErrorTracesUpTo511CharactersInRed) {
    driver::TraceViewer viewer;
    const std::string fits(511, 'e');
    TraceError(fits.c_str());
    TraceError("%s", std::string(512, 'f').c_str());
    TraceError("value %d", 7);
    const std::vector<driver::TraceLine> lines = viewer.Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, fits);
    EXPECT_EQ(lines[0].colour, 0x0000FFu);
    EXPECT_EQ(lines[1].text, "value 7");
}

} // namespace

// Lines come from the connection's steps on threads of their own as well as from the program's
// thread; while the settings change under them, each line reaches the file whole, exactly once.
TEST_F(TraceClient, LinesFromSeveralThreadsAtOnceEachReachTheFileWholeAndOnce) {
    SetRegistryDword(HKEY_CURRENT_USER, TARN_PRODUCT_KEY, "TRACE TO FILE", 1);
    SetRegistryString(HKEY_CURRENT_USER, TARN_PRODUCT_KEY, "TRACE FILE", file_);
    constexpr int kThreads = 4, kLines = 250;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < kLines; ++i)
                Trace(("thread " + std::to_string(t) + " line " + std::to_string(i)).c_str(),
                      0xFF0000);
        });
    }
    // Every change under the key makes the next line read the settings again.
    for (int i = 0; i < 500; ++i)
        SetRegistryDword(HKEY_CURRENT_USER, TARN_PRODUCT_KEY, "TRACE COMPONENTS", 0xFFFFFFFF);
    for (std::thread& thread : threads)
        thread.join();
    std::vector<std::string> expected, traced = TracedTexts(file_);
    for (int t = 0; t < kThreads; ++t)
        for (int i = 0; i < kLines; ++i)
            expected.push_back("thread " + std::to_string(t) + " line " + std::to_string(i));
    std::sort(expected.begin(), expected.end());
    std::sort(traced.begin(), traced.end());
    EXPECT_EQ(traced, expected);
}
