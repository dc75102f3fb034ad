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
    // No repaint is asked for: a program blocked in a call does not answer it. Its windows
    // paint themselves when their content changes; a moment lets the display catch up.
    Sleep(400);
    RECT rect;
    GetWindowRect(window, &rect);
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
        [&] { return GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES; }, 30000);
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
