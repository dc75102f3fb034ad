// Two runs never lose each other's change of notes.ini: a run waits while another holds the
// file's lock, and only for so long.
#include "tarnsetup_run.h"

#include "exit_status_check.h"
#include "notes_ini_lock.h"
#include "resource_ids.h"
#include "timing.h"
#include "window_actions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <thread>

namespace {

// Holds the lock of a notes.ini on a thread of its own, as another run would, until released.
class HeldLock {
  public:
    explicit HeldLock(const std::string& iniPath)
        : thread_([this, iniPath] {
              NotesIniLock lock;
              held_ = lock.Acquire(iniPath.c_str(), 0) == NotesIniLock::Outcome::Held;
              taken_ = true;
              while (!release_)
                  Sleep(10);
          }) {
        driver::PollUntil([this] { return taken_.load(); }, 5000);
    }
    ~HeldLock() { Release(); }
    bool Held() const { return held_; }
    void Release() {
        release_ = true;
        if (thread_.joinable())
            thread_.join();
    }

  private:
    std::atomic<bool> held_{false}, taken_{false}, release_{false};
    std::thread thread_;
};

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

TEST(TarnsetupNotesIniLock, ARunWaitsForAnotherRunsChangeOfTheSameFileSpeltAnyWay) {
    TarnsetupRun run("lock-waits");
    run.WriteNotesIni(run.NotesIniWith("NSF_HOOKS=other\r\n"));
    run.Script("InstallVoxtarionComponents=46");
    const std::string before = run.NotesIniText();
    HeldLock other(Upper(run.Notes().iniPath));
    ASSERT_TRUE(other.Held());
    ASSERT_TRUE(run.Start("-i"));
    // The bridge has installed, but notes.ini waits for the other run.
    ASSERT_TRUE(driver::PollUntil([&run] { return run.BridgeWasCalled(); }, 10000));
    Sleep(1500);
    EXPECT_TRUE(run.Process().IsRunning());
    EXPECT_EQ(run.NotesIniText(), before);
    other.Release();
    run.ExpectNoQuestionUntilExit();
    EXPECT_EQ(run.NotesIniText(),
              run.NotesIniWith("NSF_HOOKS=other,tarnhook\r\nEXTMGR_ADDINS=tarnpwd\r\n"));
    EXPECT_TRUE(EndedWith(run.Process(), kSetupDone));
}

TEST(TarnsetupNotesIniLock, ALockHeldPastTheWaitLeavesTheFileAsTheOtherRunLeftIt) {
    TarnsetupRun run("lock-kept");
    run.WriteNotesIni(run.NotesIniWith("NSF_HOOKS=other\r\n"));
    run.Script("InstallVoxtarionComponents=46");
    const std::string before = run.NotesIniText();
    HeldLock other(run.Notes().iniPath);
    ASSERT_TRUE(other.Held());
    ASSERT_TRUE(run.Start("-i"));
    const driver::MessageBoxInfo box = driver::WaitForMessageBox(run.Process());
    ExpectErrorBox(box, ResourceText(IDS_SETUP_CAPTION),
                   "The Notes configuration file " + run.Notes().iniPath +
                       " could not be written: another TARNSETUP run kept it for " +
                       std::to_string(kNotesIniLockWaitMs / 1000) +
                       " seconds. NSF_HOOKS and EXTMGR_ADDINS were not updated.");
    driver::PressButton(box.window, IDOK);
    EXPECT_TRUE(driver::WaitForWindowGone(box.window));
    run.ExpectNoQuestionUntilExit();
    EXPECT_EQ(run.NotesIniText(), before);
    EXPECT_TRUE(EndedWith(run.Process(), kSetupNotesIniNotWritten));
}

} // namespace
