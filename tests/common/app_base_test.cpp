// The application base's start-up, seen through the test program's own import of the
// platform's ghosting switch: the call is redirected to a recorder in the import table.
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

} // namespace
