// Two runs never lose each other's change of notes.ini: a run waits while another holds the
// file's lock, whatever name either reaches the file by, and only for so long; nothing
// another user can create in the object namespace holds it up.
#include "tarnsetup_run.h"

#include "exit_status_check.h"
#include "notes_ini_lock.h"
#include "resource_ids.h"
#include "timing.h"
#include "window_actions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>

namespace {

// A second name of drive C:, which the test bed makes as "subst S: C:\" makes one on Windows.
constexpr char kSecondNameOfC[] = "S:";

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::string ShortName(const std::string& path) {
    char name[MAX_PATH] = "";
    const DWORD length = GetShortPathNameA(path.c_str(), name, sizeof name);
    return length > 0 && length < sizeof name ? name : "";
}

std::string OnSecondDrive(const std::string& path) {
    if (path.size() < 2 || Upper(path.substr(0, 2)) != "C:")
        return "";
    const std::string spelt = kSecondNameOfC + path.substr(2);
    return GetFileAttributesA(spelt.c_str()) == INVALID_FILE_ATTRIBUTES ? "" : spelt;
}

// Waits until the run has put up its status window, which it does before it takes the lock.
bool ReachedTheLock(TarnsetupRun& run) {
    return driver::PollUntil(
        [&run] { return !driver::VisibleWindowsOf(run.Process().Id()).empty(); }, 10000);
}

TEST(TarnsetupNotesIniLock, ARunWaitsForAnotherRunsChangeOfTheSameFileByAnyOfItsNames) {
    const struct {
        const char* name;
        std::function<std::string(const std::string&)> spell;
    } cases[] = {
        {"in other letter case", Upper},
        {"by its 8.3 name", ShortName},
        {"through a second drive letter (subst S: C:\\)", OnSecondDrive},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TarnsetupRun run("lock-waits");
        run.WriteNotesIni(run.NotesIniWith("NSF_HOOKS=first\r\n"));
        run.Script("InstallVoxtarionComponents=46");
        const std::string spelt = c.spell(run.Notes().iniPath);
        ASSERT_FALSE(spelt.empty()) << "no such name of " << run.Notes().iniPath;
        ASSERT_NE(spelt, run.Notes().iniPath);

        // The other run reads the list, holds the file while the run starts, then writes the
        // list back with its own entry added.
        NotesIniLock other;
        ASSERT_EQ(other.Acquire(spelt.c_str(), 0), NotesIniLock::Outcome::Held);
        char hooks[256] = "";
        GetPrivateProfileStringA("Notes", "NSF_HOOKS", "", hooks, sizeof hooks, spelt.c_str());
        ASSERT_TRUE(run.Start("-i"));
        ASSERT_TRUE(ReachedTheLock(run));
        Sleep(1000);
        EXPECT_FALSE(run.BridgeWasCalled()) << "the bridge installs only under the lock";
        EXPECT_TRUE(run.Process().IsRunning());
        ASSERT_TRUE(WritePrivateProfileStringA(
            "Notes", "NSF_HOOKS", (std::string(hooks) + ",other").c_str(), spelt.c_str()));
        other.Release();

        run.ExpectNoQuestionUntilExit();
        EXPECT_EQ(run.NotesIniText(), run.NotesIniWith("NSF_HOOKS=first,other,tarnhook\r\n"
                                                       "EXTMGR_ADDINS=tarnpwd\r\n"));
        EXPECT_TRUE(EndedWith(run.Process(), kSetupDone));
    }
}

TEST(TarnsetupNotesIniLock, ALockHeldPastTheWaitLeavesTheFileAsTheOtherRunLeftIt) {
    TarnsetupRun run("lock-kept");
    run.WriteNotesIni(run.NotesIniWith("NSF_HOOKS=other\r\n"));
    run.Script("InstallVoxtarionComponents=46");
    const std::string before = run.NotesIniText();
    NotesIniLock other;
    ASSERT_EQ(other.Acquire(run.Notes().iniPath.c_str(), 0), NotesIniLock::Outcome::Held);
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
    EXPECT_FALSE(run.BridgeWasCalled()) << "a run without the lock installs nothing";
    EXPECT_EQ(run.NotesIniText(), before);
    EXPECT_TRUE(EndedWith(run.Process(), kSetupNotesIniNotWritten));
}

// The name of the named object that once served as the lock: a hash of the file's full path
// in capitals, in the global namespace, where any user may create it first.
std::string FormerLockName(const std::string& iniPath) {
    char full[MAX_PATH * 4] = "";
    GetFullPathNameA(iniPath.c_str(), sizeof full, full, nullptr);
    std::wstring path(full, full + strlen(full));
    CharUpperBuffW(&path[0], static_cast<DWORD>(path.size()));
    std::uint64_t hash = 14695981039346656037ull;
    for (wchar_t c : path) {
        for (int byte = 0; byte < 2; ++byte) {
            hash ^= static_cast<std::uint8_t>(c >> (8 * byte));
            hash *= 1099511628211ull;
        }
    }
    char name[64];
    std::snprintf(name, sizeof name, "Global\\TARNSETUP notes.ini %016llx",
                  static_cast<unsigned long long>(hash));
    return name;
}

TEST(TarnsetupNotesIniLock, ANamedObjectAnotherUserHoldsChangesNothing) {
    TarnsetupRun run("lock-squatted");
    run.WriteNotesIni(run.NotesIniWith("NSF_HOOKS=other\r\n"));
    run.Script("InstallVoxtarionComponents=46");
    const KernelHandle squatted(
        CreateMutexA(nullptr, TRUE, FormerLockName(run.Notes().iniPath).c_str()));
    ASSERT_TRUE(squatted.valid());
    ASSERT_TRUE(run.Start("-i"));
    run.ExpectNoQuestionUntilExit();
    EXPECT_EQ(run.NotesIniText(),
              run.NotesIniWith("NSF_HOOKS=other,tarnhook\r\nEXTMGR_ADDINS=tarnpwd\r\n"));
    EXPECT_TRUE(EndedWith(run.Process(), kSetupDone));
}

} // namespace
