// The application base's start-up, seen through the test program's own import of the
// platform's ghosting switch: the call is redirected to a recorder in the import table; and
// its end, with and without a thread left waiting.
#include "app_base.h"

#include "import_redirect.h"

#include <gtest/gtest.h>

namespace {

int g_ghostingCalls = 0;

VOID WINAPI RecordGhostingCall() {
    ++g_ghostingCalls;
}

// Notes, when its start-up hook runs, whether ghosting was switched off already.
class StartUpProbe : public ApplicationBase {
  public:
    int callsAtStartUp = -1;

  protected:
    bool InitInstance() override {
        callsAtStartUp = g_ghostingCalls;
        return false;
    }
};

TEST(ApplicationStartUp, GhostingIsSwitchedOffOnceBeforeTheProgramMakesAnyWindow) {
    void* original = RedirectImport("user32.dll", "DisableProcessWindowsGhosting",
                                    reinterpret_cast<void*>(&RecordGhostingCall));
    ASSERT_NE(original, nullptr) << "this program does not import DisableProcessWindowsGhosting";
    StartUpProbe probe;
    probe.Run(GetModuleHandleA(nullptr), "probe.exe");
    RedirectImport("user32.dll", "DisableProcessWindowsGhosting", original);
    EXPECT_EQ(probe.callsAtStartUp, 1) << "not called before the start-up hook";
    EXPECT_EQ(g_ghostingCalls, 1);
}

// A program that ends with exitStatus and, where holdsThread says so, leaves a thread waiting
// inside a lock, as the download leaves the reader of a silent server inside the LDAP library.
class EndingProbe : public ApplicationBase {
  public:
    EndingProbe(int exitStatus, bool holdsThread) : status_(exitStatus), holds_(holdsThread) {}

  protected:
    bool InitInstance() override {
        if (holds_)
            CloseHandle(CreateThread(nullptr, 0, HoldForEver, nullptr, 0, nullptr));
        return false;
    }
    int ExitInstance() override { return status_; }
    bool LeavesThreadInLibrary() const override { return holds_; }

  private:
    static DWORD WINAPI HoldForEver(void*) {
        static SRWLOCK lock = SRWLOCK_INIT;
        AcquireSRWLockExclusive(&lock);
        Sleep(INFINITE);
        return 0;
    }
    int status_;
    bool holds_;
};

TEST(ApplicationEnd, AProgramWithoutAThreadLeftBehindReturnsItsExitStatus) {
    EndingProbe probe(7, false);
    EXPECT_EQ(probe.Run(GetModuleHandleA(nullptr), "probe.exe"), 7);
}

// The process ends inside Run, with the exit hook's status: nothing after it runs, neither
// the return into ExitProcess nor the libraries' detach.
TEST(ApplicationEndDeathTest, AProgramThatLeavesAThreadInALibraryEndsAtOnceWithItsExitStatus) {
    EXPECT_EXIT(
        {
            EndingProbe probe(42, true);
            probe.Run(GetModuleHandleA(nullptr), "probe.exe");
        },
        ::testing::ExitedWithCode(42), "");
}

} // namespace
