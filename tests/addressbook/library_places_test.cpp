// Where the download program takes its libraries from: tarnlang.dll from its own folder as
// resources only, tarnhook.dll from its own folder or the Notes program folder; copies
// planted in the folder it starts in or on PATH never run.
#include "tarnbook_run.h"

#include "exit_status_check.h"
#include "planted_libraries.h"
#include "resource_ids.h"
#include "test_files.h"

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

} // namespace
