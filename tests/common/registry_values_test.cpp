// Registry values of every stored type at the lengths around the 260-byte buffers, as the
// trace client and the Notes discovery read them: each read ends inside its buffer with a
// terminator, and a value that does not fit counts as absent.
#include "notes_discovery.h"
#include "registry_text.h"
#include "stored_values.h"
#include "trace.h"

#include "product_keys.h"
#include "test_files.h"
#include "test_install.h"
#include "test_registry.h"
#include "trace_file.h"

#include "notes_loading_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

class StoredValues : public NotesLoadingTest {
  protected:
    void SetUp() override {
        NotesLoadingTest::SetUp();
        dir_ = FreshTestDir("stored-values");
    }
    static std::string Normalized(const std::string& path) {
        char full[MAX_PATH] = "";
        GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
        return full;
    }
    static std::vector<std::string> FilesIn(const std::string& dir) {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        const HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE)
            return names;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.push_back(found.cFileName);
        } while (FindNextFileA(find, &found));
        FindClose(find);
        return names;
    }
    std::string dir_;
};

TEST_F(StoredValues, ATextReadEndsInsideItsBufferOrLeavesItAlone) {
    for (const StoredForm& form : kStoredForms) {
        for (std::size_t length : kStoredLengths) {
            std::string bytes(length, '\0');
            for (std::size_t i = 0; i < length; ++i)
                bytes[i] = static_cast<char>('a' + i % 26);
            SetRegistryBytes(HKEY_CURRENT_USER, TARN_NOTES_KEY, "Value", form.type, bytes);
            HKEY key = nullptr;
            ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, TARN_NOTES_KEY, 0, KEY_READ, &key),
                      ERROR_SUCCESS);
            std::string buffer(kPathBufferSize + 16, '#');
            const bool read = ReadRegistryText(key, "Value", buffer.data(), kPathBufferSize);
            RegCloseKey(key);

            const std::string what = Describe(form, length);
            EXPECT_EQ(buffer.substr(kPathBufferSize), std::string(16, '#')) << what;
            EXPECT_EQ(read, FitsPathBuffer(length)) << what;
            if (read)
                EXPECT_EQ(std::string(buffer.c_str()), bytes) << what;
            else
                EXPECT_EQ(buffer, std::string(kPathBufferSize + 16, '#')) << what;
        }
    }
}

TEST_F(StoredValues, TheTraceFileIsUsedOnlyWhenItsPathFitsAndNoOtherFileAppears) {
    for (const StoredForm& form : kStoredForms) {
        for (std::size_t length : kStoredLengths) {
            const std::string dir = FreshTestDir("stored-trace-file");
            const std::string path = OfLength(length, dir + "\\", ".log");
            SetRegistryDword(HKEY_CURRENT_USER, TARN_PRODUCT_KEY, "TRACE TO FILE", 1);
            SetRegistryBytes(HKEY_CURRENT_USER, TARN_PRODUCT_KEY, "TRACE FILE", form.type, path);
            const DWORD start = GetTickCount();
            Trace("line", kTraceRed);
            const std::string what = Describe(form, length);
            EXPECT_LT(GetTickCount() - start, 2500u) << what;
            if (FitsPathBuffer(length) && length > 0)
                EXPECT_EQ(TracedTexts(path), std::vector<std::string>{"line"}) << what;
            else
                EXPECT_TRUE(FilesIn(dir).empty()) << what;
        }
    }
}

TEST_F(StoredValues, TraceNumbersThatDoNotFitFourBytesKeepTheirDefaults) {
    const std::string file = dir_ + "\\trace.log";
    for (const StoredForm& form : kStoredForms) {
        for (std::size_t length : kStoredLengths) {
            const std::string what = Describe(form, length);
            // Zero bytes taken as the mask would drop blue lines; the default passes them.
            TraceToFile(file);
            SetRegistryBytes(HKEY_CURRENT_USER, TARN_PRODUCT_KEY, "TRACE COMPONENTS", form.type,
                             std::string(length, '\0'));
            Trace("blue", kTraceBlue);
            EXPECT_EQ(TracedTexts(file), std::vector<std::string>{"blue"}) << what;

            // Bytes of 1 taken as the switch would write the file; the default does not.
            TraceToFile(file);
            SetRegistryBytes(HKEY_CURRENT_USER, TARN_PRODUCT_KEY, "TRACE TO FILE", form.type,
                             std::string(length, '\1'));
            Trace("red", kTraceRed);
            EXPECT_FALSE(driver::FileExists(file)) << what;
        }
    }
}

TEST_F(StoredValues, ARecordedLibraryPathThatDoesNotFitGivesWayToThePerUserOne) {
    const NotesInstall machine = MakeNotesInstall("stored-dll-machine");
    const NotesInstall user = MakeNotesInstall("stored-dll-user");
    const std::string fullLength = PaddedPath(machine.programDir, 259, "\\nnotes.dll");
    if (Normalized(fullLength) != machine.dllPath)
        CopyTestFile(machine.dllPath, Normalized(fullLength));
    for (const StoredForm& form : kStoredForms) {
        for (std::size_t length : kStoredLengths) {
            const std::string what = Describe(form, length);
            SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "NotesDllPath", user.dllPath);
            SetRegistryBytes(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "NotesDllPath", form.type,
                             OfLength(length, fullLength.substr(0, length)));
            const int loaded = LoadSavedNotesDll();
            char path[MAX_PATH] = "";
            GetModuleFileNameA(g_hNotesDll, path, sizeof path);
            // An empty path counts as absent: the per-user one is loaded, never the drive's root.
            EXPECT_EQ(loaded, 1) << what;
            const std::string expected =
                length > 0 && FitsPathBuffer(length) ? Normalized(fullLength) : user.dllPath;
            EXPECT_STRCASEEQ(path, expected.c_str()) << what;
            if (g_hNotesDll)
                FreeLibrary(g_hNotesDll);
            g_hNotesDll = nullptr;
        }
    }
}

TEST_F(StoredValues, ANotesIniPathThatDoesNotFitOrIsEmptyLeavesTheBareName) {
    const std::string traceFile = dir_ + "\\trace.log";
    for (const StoredForm& form : kStoredForms) {
        for (std::size_t length : kStoredLengths) {
            const std::string what = Describe(form, length);
            const std::string value = OfLength(length, "C:\\Notes\\", "notes.ini");
            ResetProductRegistry();
            TraceToFile(traceFile);
            SetRegistryBytes(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, "NotesIniPath", form.type, value);
            std::string dest(kPathBufferSize + 16, '#');
            GetNotesIniPath(dest.data(), 0);
            EXPECT_EQ(dest.substr(kPathBufferSize), std::string(16, '#')) << what;
            if (FitsPathBuffer(length) && length > 0) {
                EXPECT_EQ(std::string(dest.c_str()), value) << what;
                EXPECT_EQ(GetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "NotesIniPath"),
                          value)
                    << what;
                EXPECT_TRUE(TracedTexts(traceFile).empty()) << what;
            } else {
                EXPECT_EQ(std::string(dest.c_str()), "notes.ini") << what;
                EXPECT_FALSE(GetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, "NotesIniPath"))
                    << what;
                EXPECT_EQ(TracedTexts(traceFile),
                          std::vector<std::string>{
                              length == 0 ? "GetNotesIniPath(): NotesIniPath is empty"
                                          : "GetNotesIniPath(): RegQueryValueEx FAILED"})
                    << what;
            }
        }
    }
}

TEST_F(StoredValues, ALotusPathIsTakenOnlyWhenItFitsAndNeverLoadsPastTheBuffer) {
    const std::string fullLength = PaddedPath(dir_, 259, "");
    for (const char* lotusKey : {kLotusKey40, kLotusKey50}) {
        for (const StoredForm& form : kStoredForms) {
            for (std::size_t length : kStoredLengths) {
                const std::string what = std::string(lotusKey) + ", " + Describe(form, length);
                ResetProductRegistry();
                SetCurrentDirectoryA(startDir_.c_str());
                SetRegistryBytes(HKEY_LOCAL_MACHINE, lotusKey, "Path", form.type,
                                 OfLength(length, fullLength.substr(0, length)));
                // No room for "\nnotes.dll" behind 259 characters: nothing loads, ever.
                EXPECT_EQ(FindNotesDll(), 0) << what;
                EXPECT_EQ(g_hNotesDll, nullptr) << what;
                if (length == 259)
                    EXPECT_STRCASEEQ(CurrentDirectory().c_str(), Normalized(fullLength).c_str())
                        << what;
                else
                    EXPECT_EQ(CurrentDirectory(), startDir_) << what;
            }
        }
    }
}

} // namespace
