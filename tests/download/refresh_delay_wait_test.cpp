// The RefreshDelay wait, up to an hour, keeps the program's thread answering its windows'
// messages: a window of the waiting thread answers what is sent to it and never counts as not
// responding, and the wait still lasts its whole time however many messages come.
#include "tarnbook_app.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

TEST(RefreshDelayWait, TheThreadsWindowsAnswerThroughoutAndTheWaitLastsItsTime) {
    // Past the five seconds after which a thread that takes no message counts as hung.
    constexpr unsigned long kSeconds = 7;
    std::atomic<HWND> window{nullptr};
    std::atomic<DWORD> started{0}, ended{0};
    std::thread waiting([&] {
        const HWND own = CreateWindowExA(0, "STATIC", "waiting", WS_POPUP, 0, 0, 10, 10, nullptr,
                                         nullptr, GetModuleHandleA(nullptr), nullptr);
        started = GetTickCount();
        window = own;
        CTarnbookApp::WaitSeconds(kSeconds);
        ended = GetTickCount();
        DestroyWindow(own);
    });
    while (!window && !ended)
        Sleep(10);
    int sent = 0, answered = 0;
    bool lookedForHang = false, hung = false;
    while (!ended) {
        char text[32] = "";
        DWORD_PTR length = 0;
        ++sent;
        if (SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                                SMTO_ABORTIFHUNG, 500, &length) &&
            std::string(text) == "waiting")
            ++answered;
        if (!lookedForHang && GetTickCount() - started > 6000 && !ended) {
            lookedForHang = true;
            hung = IsHungAppWindow(window) != FALSE;
        }
        Sleep(200);
    }
    waiting.join();

    ASSERT_NE(window.load(), nullptr) << "no window for the waiting thread";
    EXPECT_TRUE(lookedForHang);
    EXPECT_FALSE(hung) << "the waiting thread's window counts as not responding";
    EXPECT_GE(answered, sent - 1) << answered << " of " << sent << " messages answered";
    const DWORD lasted = ended - started;
    EXPECT_GE(lasted, kSeconds * 1000 - 50) << "the wait ended early";
    EXPECT_LT(lasted, kSeconds * 1000 + 1500) << "the messages stretched the wait";
}

} // namespace
