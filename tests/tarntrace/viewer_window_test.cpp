// TARNTRACE's window answers each line as soon as it holds a copy: an output that blocks (a
// console held by a selection, a pipe nobody reads) never holds up the program that traces.
#include "line_output.h"
#include "viewer_window.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

TEST(TarntraceWindow, ALineIsAnsweredBeforeItsWriteIsDone) {
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 0));
    // The output takes the standard output of the moment: the pipe, which nobody reads yet.
    const HANDLE saved = GetStdHandle(STD_OUTPUT_HANDLE);
    SetStdHandle(STD_OUTPUT_HANDLE, writeEnd);
    LineOutput output;
    SetStdHandle(STD_OUTPUT_HANDLE, saved);

    ViewerWindow window(output, false);
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread viewer([&] {
        const int created = window.Create();
        SetEvent(ready);
        if (created)
            window.Run();
    });
    WaitForSingleObject(ready, INFINITE);
    CloseHandle(ready);
    const HWND handle = window.Handle();
    ASSERT_NE(handle, nullptr);

    // Far more than a pipe holds: the viewer's write waits until the test reads.
    const std::string text(1 << 20, 'x');
    COPYDATASTRUCT data;
    data.dwData = 0x0000FF;
    data.cbData = static_cast<DWORD>(text.size() + 1);
    data.lpData = const_cast<char*>(text.c_str());
    DWORD_PTR answer = 0;
    const DWORD start = GetTickCount();
    const LRESULT sent = SendMessageTimeoutA(
        handle, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, 5000, &answer);
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_NE(sent, 0) << "error " << GetLastError();
    EXPECT_LT(elapsed, 2000u) << "the sender waited for the write";

    // Then the whole line is written, once the pipe is read.
    std::string written;
    char buffer[65536];
    DWORD read = 0;
    while (written.size() <= text.size() &&
           ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read > 0)
        written.append(buffer, read);
    EXPECT_NE(written.find("error    " + text.substr(0, 100)), std::string::npos);
    EXPECT_GT(written.size(), text.size());

    PostMessageA(handle, WM_CLOSE, 0, 0);
    viewer.join();
    CloseHandle(writeEnd);
    CloseHandle(readEnd);
}

} // namespace
