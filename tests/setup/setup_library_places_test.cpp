// Where the setup program takes its libraries from: tarnlang.dll from its own folder as
// resources only, tarnhook.dll from its own folder or the Notes program folder, nnotes.dll
// from a policy's path before notes.ini's; copies planted in the folder it starts in or on
// PATH never run.
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

} // namespace
