#include "notes_discovery.h"

#include "path_text.h"
#include "test_files.h"
#include "test_install.h"
#include "test_registry.h"
#include "trace_file.h"
#include "trace_viewer.h"

#include "notes_loading_test.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class NotesDiscovery : public NotesLoadingTest {
  protected:
    void SetUp() override {
        NotesLoadingTest::SetUp();
        traceFile_ = FreshTestDir("discovery-trace") + "\\trace.log";
        TraceToFile(traceFile_);
    }
    static std::string LoadedPath() {
        char path[MAX_PATH] = "";
        if (g_hNotesDll)
            GetModuleFileNameA(g_hNotesDll, path, sizeof path);
        return path;
    }
    bool Traced(const std::string& text) const {
        const std::vector<std::string> lines = TracedTexts(traceFile_);
        return std::find(lines.begin(), lines.end(), text) != lines.end();
    }
    std::string traceFile_;
};

TEST_F(NotesDiscovery, AMachineWideRecordedPathWinsAndBecomesTheCurrentDirectory) {
    const NotesInstall machine = MakeNotesInstall("saved-machine");
    const NotesInstall user = MakeNotesInstall("saved-user");
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "NotesDllPath", machine.dllPath);
    SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "NotesDllPath", user.dllPath);

    driver::TraceViewer viewer;
    EXPECT_EQ(LoadSavedNotesDll(), 1);
    EXPECT_STRCASEEQ(LoadedPath().c_str(), machine.dllPath.c_str());
    EXPECT_STRCASEEQ(CurrentDirectory().c_str(), machine.programDir.c_str());
    EXPECT_TRUE(Traced("SetCurrentDirectory::" + machine.programDir));
    const std::vector<driver::TraceLine> lines = viewer.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].colour, 0xFF0000u) << "the directory is traced in blue";
}

TEST_F(NotesDiscovery, ThePerUserPathServesWhenNoMachineWideOneIsRecorded) {
    const NotesInstall user = MakeNotesInstall("saved-user-only");
    SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "NotesDllPath", user.dllPath);
    EXPECT_EQ(LoadSavedNotesDll(), 1);
    EXPECT_STRCASEEQ(LoadedPath().c_str(), user.dllPath.c_str());
}

TEST_F(NotesDiscovery, NothingRecordedLeavesHandleDirectoryAndTraceAlone) {
    EXPECT_EQ(LoadSavedNotesDll(), 0);
    EXPECT_EQ(g_hNotesDll, nullptr);
    EXPECT_EQ(CurrentDirectory(), startDir_);
    EXPECT_TRUE(TracedTexts(traceFile_).empty());
}

TEST_F(NotesDiscovery, AStaleRecordedPathEmptiesTheHandleAndTheLotusKeysTakeOver) {
    const NotesInstall notes = MakeNotesInstall("stale");
    g_hNotesDll = LoadLibraryA(notes.dllPath.c_str());
    FreeLibrary(g_hNotesDll);
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "NotesDllPath",
                      notes.programDir + "\\gone\\nnotes.dll");
    EXPECT_EQ(LoadSavedNotesDll(), 0);
    EXPECT_EQ(g_hNotesDll, nullptr);

    SetRegistryString(HKEY_LOCAL_MACHINE, kLotusKey40, "Path", notes.programDir);
    EXPECT_EQ(FindNotesDll(), 1);
    EXPECT_STRCASEEQ(LoadedPath().c_str(), notes.dllPath.c_str());
    EXPECT_EQ(GetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "NotesDllPath"),
              notes.programDir + "\\gone\\nnotes.dll");
}

TEST_F(NotesDiscovery, TheLotusPathLoadsItsLibraryAndRecordsNothing) {
    const NotesInstall notes = MakeNotesInstall("lotus-path");
    SetRegistryString(HKEY_LOCAL_MACHINE, kLotusKey40, "Path", notes.programDir);
    EXPECT_EQ(FindNotesDll(), 1);
    EXPECT_STRCASEEQ(LoadedPath().c_str(), notes.dllPath.c_str());
    EXPECT_STRCASEEQ(CurrentDirectory().c_str(), notes.programDir.c_str());
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, TARN_NOTES_KEY));
}

TEST_F(NotesDiscovery, WithBothLotusKeysOnlyTheFirstIsUsedEvenWhenItsPathIsWrong) {
    const NotesInstall notes = MakeNotesInstall("lotus-both");
    SetRegistryString(HKEY_LOCAL_MACHINE, kLotusKey40, "Path", notes.programDir + "\\nowhere");
    SetRegistryString(HKEY_LOCAL_MACHINE, kLotusKey50, "Path", notes.programDir);
    EXPECT_EQ(FindNotesDll(), 0);

    DeleteRegistryTree(HKEY_LOCAL_MACHINE, kLotusKey40);
    EXPECT_EQ(FindNotesDll(), 1);
    EXPECT_STRCASEEQ(LoadedPath().c_str(), notes.dllPath.c_str());
}

TEST_F(NotesDiscovery, AFirstLotusKeyWithoutPathFailsWithoutTryingTheSecond) {
    const NotesInstall notes = MakeNotesInstall("lotus-no-path");
    SetRegistryString(HKEY_LOCAL_MACHINE, kLotusKey40, "Other", "x");
    SetRegistryString(HKEY_LOCAL_MACHINE, kLotusKey50, "Path", notes.programDir);
    EXPECT_EQ(FindNotesDll(), 0);
}

TEST_F(NotesDiscovery, APathTooLongForTheLibraryNameCountsAsNotLoaded) {
    const std::string longPath = "C:\\" + std::string(kPathBufferSize - 8, 'x');
    SetRegistryString(HKEY_LOCAL_MACHINE, kLotusKey40, "Path", longPath);
    EXPECT_EQ(FindNotesDll(), 0);
    EXPECT_EQ(g_hNotesDll, nullptr);
}

TEST_F(NotesDiscovery, ARecordedValueTooLongForItsBufferIsNotTaken) {
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "NotesDllPath",
                      "C:\\" + std::string(kPathBufferSize, 'x'));
    EXPECT_EQ(LoadSavedNotesDll(), 0);
    EXPECT_TRUE(TracedTexts(traceFile_).empty());
}

TEST_F(NotesDiscovery, SaveNotesDllPathRecordsMachineWideWithItsTerminator) {
    SaveNotesDllPath("D:\\Notes\\nnotes.dll");
    EXPECT_EQ(GetRegistryBytes(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "NotesDllPath"),
              std::string("D:\\Notes\\nnotes.dll", 20));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, TARN_NOTES_KEY));
}

TEST_F(NotesDiscovery, GetNotesIniPathCopiesTheMachineWideValueToThePerUserKey) {
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "NotesIniPath", "D:\\Notes\\notes.ini");
    char dest[kPathBufferSize] = "";
    GetNotesIniPath(dest, 0);
    EXPECT_STREQ(dest, "D:\\Notes\\notes.ini");
    EXPECT_EQ(GetRegistryBytes(HKEY_CURRENT_USER, TARN_NOTES_KEY, "NotesIniPath"),
              std::string("D:\\Notes\\notes.ini", 19));
    EXPECT_TRUE(TracedTexts(traceFile_).empty());
}

TEST_F(NotesDiscovery, GetNotesIniPathWithoutTheKeyTracesOnceAndWritesNothing) {
    char dest[kPathBufferSize] = "garbage";
    GetNotesIniPath(dest, 0);
    EXPECT_STREQ(dest, "notes.ini");
    EXPECT_EQ(TracedTexts(traceFile_),
              std::vector<std::string>{"GetNotesIniPath(): RegOpenKeyEx failed"});
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, TARN_NOTES_KEY));
}

TEST_F(NotesDiscovery, GetNotesIniPathWithoutTheValueKeepsTheBareName) {
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "NotesDllPath", "x");
    char dest[kPathBufferSize] = "";
    GetNotesIniPath(dest, 0);
    EXPECT_STREQ(dest, "notes.ini");
    EXPECT_EQ(TracedTexts(traceFile_),
              std::vector<std::string>{"GetNotesIniPath(): RegQueryValueEx FAILED"});
    EXPECT_FALSE(GetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "NotesIniPath"));
}

TEST_F(NotesDiscovery, GetNotesIniPathForTheUserScopeReadsPerUserAndCopiesNothing) {
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "NotesIniPath", "C:\\machine.ini");
    SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "NotesIniPath", "C:\\user.ini");
    char dest[kPathBufferSize] = "";
    GetNotesIniPath(dest, 1);
    EXPECT_STREQ(dest, "C:\\user.ini");
    EXPECT_EQ(GetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "NotesIniPath"),
              "C:\\machine.ini");
}

TEST_F(NotesDiscovery, APolicyPathWinsOverTheRecordedOnesAndIsNeverCopied) {
    const NotesInstall policy = MakeNotesInstall("policy");
    const NotesInstall machine = MakeNotesInstall("policy-machine");
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "NotesDllPath", machine.dllPath);
    SetRegistryString(HKEY_CURRENT_USER, TARN_POLICY_NOTES_KEY, "NotesDllPath", policy.dllPath);
    EXPECT_EQ(LoadSavedNotesDll(), 1);
    EXPECT_STRCASEEQ(LoadedPath().c_str(), policy.dllPath.c_str());

    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "NotesIniPath", "C:\\machine.ini");
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_POLICY_NOTES_KEY, "NotesIniPath", "P:\\policy.ini");
    for (int scope : {0, 1}) {
        char dest[kPathBufferSize] = "";
        GetNotesIniPath(dest, scope);
        EXPECT_STREQ(dest, "P:\\policy.ini") << "scope " << scope;
    }
    EXPECT_FALSE(GetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "NotesIniPath"));
    EXPECT_EQ(TracedTexts(traceFile_),
              std::vector<std::string>{"SetCurrentDirectory::" + policy.programDir});
}

// Policies are read by their registry type: an expandable path is expanded, a path of another
// type gives way to the next layer with a red line.
TEST_F(NotesDiscovery, APolicyPathStoredExpandableIsExpandedAndOneOfAnotherTypeGivesWay) {
    char profile[MAX_PATH] = "";
    ASSERT_NE(GetEnvironmentVariableA("USERPROFILE", profile, sizeof profile), 0u);
    const std::string ini = "%USERPROFILE%\\notes.ini";
    SetRegistryBytes(HKEY_LOCAL_MACHINE, TARN_POLICY_NOTES_KEY, "NotesIniPath", REG_EXPAND_SZ,
                     std::string(ini.c_str(), ini.size() + 1));
    char dest[kPathBufferSize] = "";
    GetNotesIniPath(dest, 0);
    EXPECT_EQ(std::string(dest), std::string(profile) + "\\notes.ini");

    const NotesInstall machine = MakeNotesInstall("policy-type-machine");
    SetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "NotesDllPath", machine.dllPath);
    SetRegistryBytes(HKEY_LOCAL_MACHINE, TARN_POLICY_NOTES_KEY, "NotesDllPath", REG_BINARY,
                     machine.dllPath);
    EXPECT_EQ(LoadSavedNotesDll(), 1);
    EXPECT_STRCASEEQ(LoadedPath().c_str(), machine.dllPath.c_str());
    const std::vector<std::string> lines = TracedTexts(traceFile_);
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines[0].find("NotesDllPath"), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("REG_BINARY"), std::string::npos) << lines[0];
}

} // namespace
