// Waiting on the programs' one thread while its windows keep answering, in the test's own
// process: the test's thread plays the program's, a second thread plays whoever sends to it.
#include "message_pump.h"

#include "answering_call.h"

#include "resource_ids.h"
#include "resource_text.h"
#include "status_dlg.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

class Event {
  public:
    Event() : handle_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~Event() { CloseHandle(handle_); }
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    HANDLE get() const { return handle_; }

  private:
    HANDLE handle_;
};

// A window of the test's thread that counts the WM_APP messages it receives.
class CountingWindow {
  public:
    CountingWindow() {
        WNDCLASSA counting = {};
        counting.lpfnWndProc = Proc;
        counting.hInstance = GetModuleHandleA(nullptr);
        counting.lpszClassName = "TarnCountingWindow";
        RegisterClassA(&counting);
        hwnd_ = CreateWindowExA(0, counting.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                counting.hInstance, nullptr);
        count_ = 0;
    }
    ~CountingWindow() { DestroyWindow(hwnd_); }
    CountingWindow(const CountingWindow&) = delete;
    CountingWindow& operator=(const CountingWindow&) = delete;
    HWND get() const { return hwnd_; }
    static int Count() { return count_; }

  private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_APP)
            ++count_;
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    HWND hwnd_ = nullptr;
    static int count_;
};
int CountingWindow::count_ = 0;

class WaitingThread : public ::testing::Test {
  protected:
    void SetUp() override {
        library_ = LoadLibraryA("tarnlang.dll");
        ASSERT_NE(library_, nullptr);
        SetResourceModule(library_);
        AnswerWaitingMessages(); // nothing left over from an earlier test
    }
    void TearDown() override {
        SetResourceModule(nullptr);
        if (library_)
            FreeLibrary(library_);
    }
    HMODULE library_ = nullptr;
};

TEST_F(WaitingThread, ItsStatusWindowAnswersAnotherThreadAndStaysThroughACloseRequest) {
    CStatusDlg status(IDS_STATUS_SEARCHING, nullptr, CStatusDlg::Placement::OverOwner);
    const HWND window = status.GetSafeHwnd();
    ASSERT_NE(window, nullptr);
    const HWND item = GetDlgItem(window, IDC_STATUS_TEXT);
    Event done;
    std::vector<std::string> answers;
    bool closeAnswered = false;
    std::thread sender([&] {
        for (int i = 0; i < 3; ++i) {
            char text[256] = "";
            DWORD_PTR length = 0;
            if (!SendMessageTimeoutA(item, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                                     SMTO_ABORTIFHUNG, 1000, &length))
                answers.push_back("(no answer)");
            else
                answers.push_back(text);
            Sleep(100);
        }
        DWORD_PTR ignored = 0;
        closeAnswered =
            SendMessageTimeoutA(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 1000, &ignored) != 0;
        SetEvent(done.get());
    });
    const DWORD waited = WaitAnswering(done.get(), 10000);
    sender.join();
    AnswerWaitingMessages(); // what the close request posted

    EXPECT_EQ(waited, static_cast<DWORD>(WAIT_OBJECT_0));
    const std::string text = LoadResourceText(IDS_STATUS_SEARCHING);
    EXPECT_EQ(answers, std::vector<std::string>(3, text));
    EXPECT_TRUE(closeAnswered);
    EXPECT_TRUE(IsWindow(window) && IsWindowVisible(window)) << "a close request took it away";
    EXPECT_EQ(status.GetSafeHwnd(), window);
}

// The wait ends when its time is up, whatever comes meanwhile: the caller's bound on a silent
// server is counted in these waits.
TEST_F(WaitingThread, AWaitLastsItsTimeWhateverMessagesCome) {
    constexpr DWORD kWaitMs = 500;
    const CountingWindow counting;
    ASSERT_NE(counting.get(), nullptr);
    struct Case {
        const char* name;
        int posts; // WM_APP posted to the thread's window, one every 10 ms
        bool quit; // a request to quit comes first
    } cases[] = {
        {"nothing comes", 0, false},
        {"messages keep coming", 100, false},
        {"a request to quit comes", 0, true},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        const int before = CountingWindow::Count();
        Event never;
        std::thread poster([&] {
            for (int i = 0; i < test.posts; ++i) {
                PostMessageA(counting.get(), WM_APP, 0, 0);
                Sleep(10);
            }
        });
        if (test.quit)
            PostQuitMessage(3);
        const DWORD start = GetTickCount();
        const DWORD waited = WaitAnswering(never.get(), kWaitMs);
        const DWORD took = GetTickCount() - start;
        poster.join();

        EXPECT_EQ(waited, static_cast<DWORD>(WAIT_TIMEOUT));
        EXPECT_GE(took, kWaitMs - 20); // the tick count's granularity
        EXPECT_LT(took, kWaitMs + 300);
        if (test.posts > 0) {
            EXPECT_GT(CountingWindow::Count() - before, 0) << "no message was answered";
        }
        MSG quit;
        EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
            << "a request to quit was left for later";
        AnswerWaitingMessages();
    }
}

TEST_F(WaitingThread, DuringLongWorkMessagesAreAnsweredOnceTheIntervalHasPassed) {
    const CountingWindow counting;
    ASSERT_NE(counting.get(), nullptr);
    const int before = CountingWindow::Count();
    MessagesNowAndThen nowAndThen(200);
    PostMessageA(counting.get(), WM_APP, 0, 0);
    nowAndThen.Answer();
    EXPECT_EQ(CountingWindow::Count(), before) << "answered before the interval had passed";
    Sleep(250);
    nowAndThen.Answer();
    EXPECT_EQ(CountingWindow::Count(), before + 1);
    PostMessageA(counting.get(), WM_APP, 0, 0);
    nowAndThen.Answer();
    EXPECT_EQ(CountingWindow::Count(), before + 1) << "the interval starts again after answering";
}

// A step that overruns its bound is left to end on its own: whatever it writes afterwards
// reaches only what it holds itself, never what its caller reads. One within its bound gives
// its result.
TEST(AnsweringCall, AStepLeftBehindNeverWritesWhatItsCallerReadsAndOneInTimeGivesItsResult) {
    for (int round = 0; round < 40; ++round) {
        const auto release = std::make_shared<Event>();
        std::string result = "untouched";
        const bool returned = CallAnsweringFor<std::string>(
            [release] {
                WaitForSingleObject(release->get(), 5000);
                return std::string(65536, 'x');
            },
            0, result);
        EXPECT_FALSE(returned);
        SetEvent(release->get());
        Sleep(5); // the step writes its own copy meanwhile
        EXPECT_EQ(result, "untouched") << "round " << round;
    }
    std::string result;
    EXPECT_TRUE(CallAnsweringFor<std::string>([] { return std::string("answered"); }, 5, result));
    EXPECT_EQ(result, "answered");
}

} // namespace
