#include "trace_viewer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <thread>

namespace {

using driver::TraceLine;
using driver::TraceViewer;

// What a trace client does: one WM_COPYDATA with the colour, the byte count and the bytes.
LRESULT SendLine(HWND viewer, ULONG_PTR colour, const void* bytes, DWORD count) {
    COPYDATASTRUCT data = {colour, count, const_cast<void*>(bytes)};
    return SendMessageA(viewer, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}

LRESULT SendText(HWND viewer, ULONG_PTR colour, const std::string& text) {
    return SendLine(viewer, colour, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

// The window handle as a trace client reads it from the mapping; 0 when there is none.
std::uint32_t PublishedHandle() {
    const HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, driver::kViewerMappingName);
    if (!mapping)
        return 0;
    std::uint32_t handle = 0;
    if (const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 4)) {
        std::memcpy(&handle, view, sizeof handle);
        UnmapViewOfFile(view);
    }
    CloseHandle(mapping);
    return handle;
}

HWND ToWindow(std::uint32_t handle) {
    return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(handle));
}

TEST(TraceViewer, PublishesItsWindowInTheNamedMappingWhileItLives) {
    {
        TraceViewer viewer;
        ASSERT_TRUE(viewer);
        EXPECT_EQ(ToWindow(PublishedHandle()), viewer.Window());
        EXPECT_TRUE(IsWindow(viewer.Window()));
    }
    EXPECT_EQ(PublishedHandle(), 0u) << "the mapping outlived the viewer";
}

TEST(TraceViewer, RecordsColourByteCountAndTextOfEachLine) {
    TraceViewer viewer;
    ASSERT_TRUE(viewer);
    const HWND window = ToWindow(PublishedHandle());
    EXPECT_EQ(SendText(window, 0xFF0000, "DownloadAddressBook"), TRUE);
    EXPECT_EQ(SendText(window, 255, ""), TRUE);

    const std::vector<TraceLine> lines = viewer.Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].colour, 0xFF0000u);
    EXPECT_EQ(lines[0].byteCount, 20u);
    EXPECT_EQ(lines[0].text, "DownloadAddressBook");
    EXPECT_EQ(lines[1].colour, 255u);
    EXPECT_EQ(lines[1].byteCount, 1u);
    EXPECT_EQ(lines[1].text, "");
}

TEST(TraceViewer, TextWithoutTerminatorEndsAtTheByteCount) {
    TraceViewer viewer;
    ASSERT_TRUE(viewer);
    const char bytes[] = {'a', 'b', 'c', 'd'};
    SendLine(viewer.Window(), 0, bytes, 3);
    const std::vector<TraceLine> lines = viewer.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, "abc");
    EXPECT_EQ(lines[0].byteCount, 3u);
}

TEST(TraceViewer, WaitsForALineThatComesFromAnotherThreadLater) {
    TraceViewer viewer;
    ASSERT_TRUE(viewer);
    const HWND window = viewer.Window();
    std::thread client([window] {
        Sleep(100);
        SendText(window, 0xFF0000, "first");
        SendText(window, 255, "CTarnbookApp::InitLotus() failed");
    });
    const auto line = viewer.WaitForText("InitLotus", 5000);
    client.join();
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(line->colour, 255u);
    EXPECT_EQ(viewer.Texts(),
              (std::vector<std::string>{"first", "CTarnbookApp::InitLotus() failed"}));
}

TEST(TraceViewer, WaitGivesNothingWhenNoLineMatchesInTime) {
    TraceViewer viewer;
    ASSERT_TRUE(viewer);
    SendText(viewer.Window(), 0xFF0000, "something else");
    const ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(viewer.WaitForText("never sent", 200).has_value());
    EXPECT_GE(GetTickCount64() - start, 150u);
    EXPECT_FALSE(viewer.WaitForLine([](const TraceLine& line) { return line.colour == 255; }, 50));
}

TEST(TraceViewer, ClearForgetsTheLinesSoFar) {
    TraceViewer viewer;
    ASSERT_TRUE(viewer);
    SendText(viewer.Window(), 0, "old");
    viewer.Clear();
    SendText(viewer.Window(), 0, "new");
    EXPECT_EQ(viewer.Texts(), std::vector<std::string>{"new"});
}

TEST(ViewerMapping, HoldsAnyHandleValueSuchAsThatOfAWindowThatHasGone) {
    const HWND gone = CreateWindowExA(0, "STATIC", "gone", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                      nullptr, nullptr);
    ASSERT_TRUE(gone);
    const auto value = static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(gone));
    DestroyWindow(gone);
    {
        driver::ViewerMapping stale(value);
        ASSERT_TRUE(stale);
        EXPECT_EQ(PublishedHandle(), value);
        EXPECT_FALSE(IsWindow(ToWindow(PublishedHandle())));
    }
    EXPECT_EQ(PublishedHandle(), 0u);
}

} // namespace
