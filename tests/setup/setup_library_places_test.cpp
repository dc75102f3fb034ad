// Where the setup program takes its libraries from: tarnlang.dll from its own folder as
// resources only, tarnhook.dll from its own folder or the Notes program folder, nnotes.dll
// from a policy's path before notes.ini's and only from a fully qualified path; copies planted
// in the folder it starts in, on PATH or at the root of its drive never run.
#include "tarnsetup_run.h"

#include "exit_status_check.h"
#include "planted_libraries.h"
#include "product_keys.h"
#include "resource_ids.h"
#include "test_files.h"
#include "test_install.h"
#include "test_registry.h"

#include <gtest/gtest.h>

namespace {

TEST(TarnsetupLibraries, OnlyTheLibrariesBesideTheProgramRunAndPlantedCopiesNever) {
    const struct {
        const char* name;
        bool resources, bridge; // beside the program
        const char* caption;    // of the failure message, "" for an install that runs
        const char* failure;
        int exitStatus;
    } cases[] = {
        {"beside", true, true, "", "", kSetupDone},
        {"no-bridge", true, false, "caption", "tarnhook", kSetupLibraryMissing},
        {"nothing", false, false, "Voxtarion", "Load library failed:tarnlang.dll",
         kSetupLibraryMissing},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string name = std::string("setup-planted-") + c.name;
        TarnsetupRun run(name, c.bridge ? "tarnhook.dll" : "", c.resources);
        PlantedLibraries planted(name);
        planted.Apply(run.Options());
        ASSERT_TRUE(run.Start());
        if (c.caption[0] != '\0') {
            const bool builtIn = std::string(c.caption) == "Voxtarion";
            ExpectErrorBox(driver::AnswerMessageBox(run.Process(), IDOK),
                           builtIn ? c.caption : ResourceText(IDS_SETUP_CAPTION),
                           builtIn ? c.failure
                                   : ResourceText(IDS_LIBRARY_NOT_LOADED, "tarnhook.dll"));
        }
        run.ExpectNoQuestionUntilExit();
        const std::vector<std::string> bridgeBeside = {run.Program().dir + "\\tarnhook.dll"};
        EXPECT_EQ(planted.CodeRan(), c.bridge ? bridgeBeside : std::vector<std::string>())
            << "tarnlang.dll's code never runs";
        EXPECT_EQ(run.BridgeWasCalled(), c.bridge);
        EXPECT_TRUE(EndedWith(run.Process(), c.exitStatus));
    }
}

// notes.ini's Directory leads to a Notes installation without the bridge; the policy's
// NotesDllPath to one with it. The install runs only where the policy's library was loaded.
TEST(TarnsetupLibraries, APolicysNotesDllPathDecidesBeforeNotesIni) {
    TarnsetupRun run("setup-policy-nnotes", "");
    const NotesInstall managed = MakeNotesInstall("setup-policy-nnotes-managed");
    CopyTestFile(driver::BinDir() + "\\tarnhook.dll", managed.programDir + "\\tarnhook.dll");
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_POLICY_NOTES_KEY, "NotesDllPath", managed.dllPath);
    ASSERT_TRUE(run.Start());
    run.ExpectNoQuestionUntilExit();
    EXPECT_TRUE(run.BridgeWasCalled());
    EXPECT_TRUE(EndedWith(run.Process(), kSetupDone));
}

// Paths that name nnotes.dll only by where the program stands: without NotesIniPath, or with an
// empty Directory, notes.ini gives the root of the current drive; a Directory from that root or
// a relative NotesDllPath, of a policy or recorded, gives the current folder. Each names no
// file, the setup goes on to the Lotus key's Notes and installs, and the planted copies never
// run.
TEST(TarnsetupLibraries, APathFromWhereTheProgramStandsNamesNoFile) {
    const struct {
        const char* name;
        // The text of the file NotesIniPath names: nullptr keeps the one naming the Notes data
        // folder, "" leaves NotesIniPath out.
        const char* notesIni;
        const char* policyPath;
        const char* recorded; // NotesDllPath
    } cases[] = {
        // "~" and "@": PlantedLibraries::Placed.
        {"no-notes-ini", "", nullptr, nullptr},
        {"empty-directory", "[Notes]\r\nDirectory=\r\n", nullptr, nullptr},
        {"root-relative-directory", "[Notes]\r\nDirectory=@\\Data\r\n", nullptr, nullptr},
        {"policy-bare-name", nullptr, "nnotes.dll", nullptr},
        {"drive-relative", "", nullptr, "~nnotes.dll"},
    };
    char windowsDir[MAX_PATH] = "";
    GetWindowsDirectoryA(windowsDir, sizeof windowsDir);
    const std::string windowsIni = std::string(windowsDir) + "\\notes.ini";
    ASSERT_FALSE(driver::FileExists(windowsIni)) << "the test bed holds " << windowsIni;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string name = std::string("setup-relative-") + c.name;
        TarnsetupRun run(name);
        PlantedLibraries planted(name);
        planted.Apply(run.Options());
        if (c.notesIni && c.notesIni[0] == '\0')
            DeleteRegistryTree(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY);
        else if (c.notesIni)
            run.WriteNotesIni(planted.Placed(c.notesIni));
        if (c.policyPath)
            SetRegistryString(HKEY_LOCAL_MACHINE, TARN_POLICY_NOTES_KEY, kNotesDllPathValue,
                              c.policyPath);
        if (c.recorded)
            SetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, kNotesDllPathValue,
                              planted.Placed(c.recorded));
        SetRegistryString(HKEY_LOCAL_MACHINE, kLotusKey40, "Path", run.Notes().programDir);
        ASSERT_TRUE(run.Start());
        run.ExpectNoQuestionUntilExit();
        EXPECT_EQ(planted.CodeRan(),
                  std::vector<std::string>{run.Program().dir + "\\tarnhook.dll"});
        EXPECT_EQ(CallNames(run.BridgeCalls()), "InstallVoxtarionComponents");
        EXPECT_TRUE(EndedWith(run.Process(), kSetupDone));
        // Without NotesIniPath the install wrote the Windows folder's notes.ini.
        DeleteFileA(windowsIni.c_str());
    }
}

} // namespace
