// The download program started from a logon script against configurations nobody checked:
// every registry value it reads holding something no buffer takes, and a trace file that
// cannot be written. It ends by itself with its specific report and loses nothing.
#include "tarnbook_run.h"

#include "exit_status_check.h"
#include "product_keys.h"
#include "resource_ids.h"
#include "stored_values.h"
#include "test_files.h"
#include "test_registry.h"
#include "window_finder.h"

#include <gtest/gtest.h>

namespace {

TEST(TarnbookBadConfiguration, ValuesNoBufferTakesCountAsAbsentAndTheRunEndsWithItsReport) {
    for (const StoredForm& form : kStoredForms) {
        TarnbookRun run("bad-values");
        const std::string junk = OfLength(4096, "C:\\", "", '\xfe');
        for (const char* name : {"TRACE COMPONENTS", "TRACE TO FILE", "TRACE FILE"})
            SetRegistryBytes(HKEY_CURRENT_USER, TARN_PRODUCT_KEY, name, form.type, junk);
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            for (const char* name :
                 {"HostName", "PortNumber", "SearchBase", "NotesIniPath", "NotesDllPath"})
                SetRegistryBytes(root, TARN_NOTES_KEY, name, form.type, junk);
        }
        SetRegistryBytes(HKEY_LOCAL_MACHINE, kLotusKey40, "Path", form.type, junk);
        const auto stored = GetRegistryBytes(HKEY_CURRENT_USER, TARN_NOTES_KEY, "HostName");

        // The defaults: every colour traced to the viewer, no file; Notes not found.
        ASSERT_TRUE(run.Start());
        driver::ExpectNoWindowUntilExit(run.Process());
        EXPECT_TRUE(EndedWith(run.Process(), kBookUnreachable)) << form.name;
        EXPECT_TRUE(run.Traced("CTarnbookApp::InitLotus()", 0xFF0000)) << form.name;
        EXPECT_TRUE(run.Traced(ResourceText(IDS_NOTES_NOT_FOUND), 0x0000FF)) << form.name;
        EXPECT_FALSE(driver::FileExists(run.Program().bridgeLog)) << form.name;
        EXPECT_TRUE(GetRegistryBytes(HKEY_CURRENT_USER, TARN_NOTES_KEY, "HostName") == stored)
            << form.name << ": nothing is written back";
    }
}

TEST(TarnbookBadConfiguration, ATraceFileThatIsAFolderNeitherStopsTheRunNorItsTrace) {
    TarnbookRun run("trace-file-folder");
    const std::string folder = FreshTestDir("trace-file-folder-target");
    SetRegistryDword(HKEY_CURRENT_USER, TARN_PRODUCT_KEY, "TRACE TO FILE", 1);
    SetRegistryString(HKEY_CURRENT_USER, TARN_PRODUCT_KEY, "TRACE FILE", folder);
    ASSERT_TRUE(run.Start());
    // Each line may wait out the client's 5 s for the file; the run still ends.
    const ULONGLONG start = GetTickCount64();
    while (run.Process().IsRunning() && GetTickCount64() - start < 60000)
        Sleep(50);
    ASSERT_TRUE(run.WaitForExit()) << "the run did not end within a minute";
    EXPECT_TRUE(run.Traced("CTarnbookApp::InitLotus()", 0xFF0000));
    EXPECT_TRUE(run.Traced(ResourceText(IDS_NOTES_NOT_FOUND), 0x0000FF));
    EXPECT_TRUE(EndedWith(run.Process(), kBookUnreachable));
    EXPECT_EQ(GetFileAttributesA(folder.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
}

} // namespace
