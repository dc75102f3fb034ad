#include "screen_capture.h"

#include "temp_folder.h"
#include "timing.h"
#include "win_path.h"

#include <gtest/gtest.h>

#include <fstream>

void Capture(const std::string& name, HWND window) {
    if (!window || !IsWindow(window)) {
        ADD_FAILURE() << "no window to picture for " << name;
        return;
    }
    // The window is marked for repainting, never painted from here: a program blocked in a
    // call would not answer a synchronous paint. One that pumps paints it by itself.
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    // The window's place must have settled: a dialog still being laid out moves and grows.
    RECT rect = {}, last = {};
    int steady = 0;
    for (int i = 0; i < 100 && steady < 5; ++i) {
        Sleep(100);
        const bool placed = GetWindowRect(window, &rect) && rect.right > rect.left &&
                            rect.bottom > rect.top && IsWindowVisible(window);
        steady = placed && EqualRect(&rect, &last) ? steady + 1 : 0;
        last = rect;
    }
    if (steady < 5) {
        ADD_FAILURE() << "the window for " << name << " did not settle on screen";
        return;
    }
    const std::string dir = driver::EnvironmentValue("TARN_SHOTS_DIR");
    const std::string request = dir + "\\request", done = dir + "\\done";
    DeleteFileA(done.c_str());
    {
        std::ofstream out(request + ".tmp", std::ios::binary | std::ios::trunc);
        out << name << ' ' << rect.left << ' ' << rect.top << ' ' << rect.right - rect.left << ' '
            << rect.bottom - rect.top << '\n';
    }
    MoveFileExA((request + ".tmp").c_str(), request.c_str(), MOVEFILE_REPLACE_EXISTING);
    const bool pictured = driver::PollUntil(
        [&] { return GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES; }, 90000);
    EXPECT_TRUE(pictured) << "no picture of " << name;
    DeleteFileA(done.c_str());
}

void SignalServer(const char* signal) {
    std::string command = "Z:\\bin\\kill -" + std::string(signal) + " " +
                          driver::EnvironmentValue("TARN_SHOTS_SLAPD_PID");
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
        ADD_FAILURE() << "cannot run " << command;
        return;
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    Sleep(500); // kill runs on its own; give the signal time to land
}
