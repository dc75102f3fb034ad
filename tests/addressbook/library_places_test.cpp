// Where the download program takes its libraries from: tarnlang.dll from its own folder as
// resources only, tarnhook.dll from its own folder or the Notes program folder, nnotes.dll only
// from a fully qualified path; copies planted in the folder it starts in, on PATH or at the
// root of its drive never run.
#include "tarnbook_run.h"

#include "exit_status_check.h"
#include "planted_libraries.h"
#include "product_keys.h"
#include "resource_ids.h"
#include "test_files.h"
#include "test_registry.h"

#include <gtest/gtest.h>

namespace {

TEST(TarnbookLibraries, OnlyTheBridgeWhereItBelongsRunsAndPlantedCopiesNever) {
    enum class Bridge { BesideProgram, InNotesFolder, Nowhere };
    const struct {
        const char* name;
        bool resources; // tarnlang.dll beside the program
        Bridge bridge;
        const char* failure; // the red line, or "" for a run that reaches the directory
        int exitStatus;
    } cases[] = {
        {"beside", true, Bridge::BesideProgram, "", kBookUnreachable},
        {"notes-folder", true, Bridge::InNotesFolder, "", kBookUnreachable},
        {"no-bridge", true, Bridge::Nowhere, "tarnhook", kBookUnreachable},
        {"nothing", false, Bridge::Nowhere, "Load Resource dll failed", kBookUnchanged},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string name = std::string("planted-") + c.name;
        TarnbookRun run(name, c.bridge == Bridge::BesideProgram ? "tarnhook.dll" : "", c.resources);
        const std::string notesBridge = run.Notes().programDir + "\\tarnhook.dll";
        if (c.bridge == Bridge::InNotesFolder)
            CopyTestFile(driver::BinDir() + "\\tarnhook.dll", notesBridge);
        run.RecordNotesMachineWide();
        run.StoreUnreachableServer();
        PlantedLibraries planted(name);
        planted.Apply(run.Options());
        ASSERT_TRUE(run.Start());
        run.ExpectNothingAskedUntilExit();

        std::vector<std::string> expectedCode;
        if (c.bridge == Bridge::BesideProgram)
            expectedCode.push_back(run.Program().dir + "\\tarnhook.dll");
        if (c.bridge == Bridge::InNotesFolder)
            expectedCode.push_back(notesBridge);
        EXPECT_EQ(planted.CodeRan(), expectedCode) << "tarnlang.dll's code never runs";

        const std::string failure = std::string(c.failure) == "tarnhook"
                                        ? ResourceText(IDS_LIBRARY_NOT_LOADED, "tarnhook.dll")
                                        : c.failure;
        if (failure.empty())
            EXPECT_EQ(CallNames(run.BridgeCalls()),
                      "InitNotesSession,CloseAddressBook,CloseNotesSession");
        else
            EXPECT_TRUE(run.Traced(failure, 0x0000FF)) << failure;
        EXPECT_TRUE(EndedWith(run.Process(), c.exitStatus));
    }
}

// The blue line of a path that names no file.
std::string NamesNoFile(const std::string& source, const std::string& path) {
    return source + " gives \"" + path +
           "\", which is not a full path (X:\\... or \\\\server\\share\\...): no library is "
           "loaded from it.";
}

// A NotesDllPath or Lotus Path that names nnotes.dll only by where the program stands names no
// file: a blue line says so and the next way of finding Notes is tried (the Lotus key, or after
// it the question, which a silent run traces in red). The planted copies never run.
TEST(TarnbookLibraries, APathFromWhereTheProgramStandsNamesNoFile) {
    enum class Where { Policy, Recorded, Lotus };
    const struct {
        const char* name;
        Where where;
        const char* path; // "~" and "@": PlantedLibraries::Placed
    } cases[] = {
        {"bare-name", Where::Recorded, "nnotes.dll"},
        {"dotted", Where::Recorded, ".\\nnotes.dll"},
        {"drive-relative", Where::Recorded, "~nnotes.dll"},
        {"root-relative", Where::Recorded, "@\\nnotes.dll"},
        {"policy-bare-name", Where::Policy, "nnotes.dll"},
        {"lotus-empty-path", Where::Lotus, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string name = std::string("relative-") + c.name;
        TarnbookRun run(name);
        run.StoreUnreachableServer();
        PlantedLibraries planted(name);
        planted.Apply(run.Options());
        const std::string path = planted.Placed(c.path);
        if (c.where == Where::Policy)
            SetRegistryString(HKEY_LOCAL_MACHINE, TARN_POLICY_NOTES_KEY, kNotesDllPathValue, path);
        if (c.where == Where::Recorded)
            SetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, kNotesDllPathValue, path);
        SetRegistryString(HKEY_LOCAL_MACHINE, kLotusKey40, "Path",
                          c.where == Where::Lotus ? path : run.Notes().programDir);
        ASSERT_TRUE(run.Start());
        run.ExpectNothingAskedUntilExit();

        if (c.where == Where::Lotus) {
            EXPECT_TRUE(run.Traced(NamesNoFile("Path", path + "\\nnotes.dll"), 0xFF0000));
            EXPECT_EQ(planted.CodeRan(), std::vector<std::string>());
            EXPECT_TRUE(run.Traced(ResourceText(IDS_NOTES_NOT_FOUND), 0x0000FF));
        } else {
            EXPECT_TRUE(run.Traced(NamesNoFile(kNotesDllPathValue, path), 0xFF0000));
            EXPECT_EQ(planted.CodeRan(),
                      std::vector<std::string>{run.Program().dir + "\\tarnhook.dll"});
            EXPECT_EQ(CallNames(run.BridgeCalls()),
                      "InitNotesSession,CloseAddressBook,CloseNotesSession");
        }
        EXPECT_TRUE(EndedWith(run.Process(), kBookUnreachable));
    }
}

} // namespace
