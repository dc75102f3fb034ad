#include "notes_discovery.h"

#include "library_search.h"
#include "path_text.h"
#include "policy_values.h"
#include "product_keys.h"
#include "registry_text.h"
#include "resource_ids.h"
#include "resource_text.h"
#include "trace.h"
#include "win_handles.h"

#include <commdlg.h>

#include <cstring>
#include <string>

HMODULE g_hNotesDll = nullptr;

namespace {

const char kNotesDllName[] = "nnotes.dll";

// An empty path names no file and counts as none, so the next key decides.
bool ReadNotesDllPath(HKEY root, char* path) {
    RegKey key;
    if (RegOpenKeyExA(root, TARN_NOTES_KEY, 0, KEY_READ, key.receive()) != ERROR_SUCCESS)
        return false;
    return ReadRegistryText(key.get(), kNotesDllPathValue, path, kPathBufferSize) &&
           path[0] != '\0';
}

bool OpenLotusKey(RegKey& key) {
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Lotus\\Notes\\4.0\\", 0, KEY_READ,
                         key.receive()) == ERROR_SUCCESS ||
           RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Lotus\\Notes\\5.0\\", 0, KEY_READ,
                         key.receive()) == ERROR_SUCCESS;
}

// A policy's path of nnotes.dll; an empty one names no file and counts as none.
bool ReadPolicyNotesDllPath(char* path) {
    PolicyReports refused;
    const bool read = ReadPolicyText(TARN_NOTES_KEY, kNotesDllPathValue,
                                     ProductRoots::MachineThenUser, path, kPathBufferSize, refused);
    TraceEachRed(refused);
    return read && path[0] != '\0';
}

} // namespace

bool NamesLibraryFile(const char* path, const char* source) {
    if (IsFullyQualifiedPath(path))
        return true;
    Trace((std::string(source) + " gives \"" + path +
           "\", which is not a full path (X:\\... or \\\\server\\share\\...): no library is "
           "loaded from it.")
              .c_str(),
          kTraceBlue);
    return false;
}

int LoadNotesDllAt(const char* path) {
    g_hNotesDll = LoadLibraryAt(path);
    if (!g_hNotesDll)
        return 0;
    SearchLibraryFolder(g_hNotesDll);
    return 1;
}

bool PolicyNamesNotesDll() {
    char path[kPathBufferSize] = "";
    return ReadPolicyNotesDllPath(path);
}

int LoadSavedNotesDll() {
    // A policy's path first; else the machine-wide one wins over the per-user one.
    char path[kPathBufferSize] = "";
    if (!ReadPolicyNotesDllPath(path) && !ReadNotesDllPath(HKEY_LOCAL_MACHINE, path) &&
        !ReadNotesDllPath(HKEY_CURRENT_USER, path))
        return 0;
    if (!NamesLibraryFile(path, kNotesDllPathValue)) {
        g_hNotesDll = nullptr;
        return 0;
    }
    char dir[kPathBufferSize] = "";
    DirectoryOfPath(path, dir, sizeof dir);
    Trace(("SetCurrentDirectory::" + std::string(dir)).c_str(), kTraceBlue);
    SetCurrentDirectoryA(dir);
    return LoadNotesDllAt(path);
}

int FindNotesDll() {
    if (LoadSavedNotesDll())
        return 1;
    RegKey key;
    if (!OpenLotusKey(key))
        return 0;
    char path[kPathBufferSize] = "";
    if (!ReadRegistryText(key.get(), "Path", path, sizeof path))
        return 0;
    // A Path too long to take "\nnotes.dll" counts as a library that failed to load; it still
    // becomes the current folder first, where it is fully qualified.
    char library[kPathBufferSize] = "";
    g_hNotesDll = nullptr;
    const bool fits = CopyToBuffer(library, sizeof library, path) &&
                      AppendToBuffer(library, sizeof library, "\\nnotes.dll");
    if (!NamesLibraryFile(fits ? library : path, "Path"))
        return 0;
    SetCurrentDirectoryA(path);
    return fits ? LoadNotesDllAt(library) : 0;
}

int BrowseForNotesDll() {
    const std::string title = LoadResourceText(IDS_BROWSE_NOTES_TITLE);
    char windowsDir[kPathBufferSize] = "";
    GetWindowsDirectoryA(windowsDir, sizeof windowsDir);
    char fullPath[kPathBufferSize] = "nnotes.dll";
    char fileName[kPathBufferSize] = "";
    static const char filter[] = "Notes dll(*.dll)\0*.dll\0";

    OPENFILENAMEA ofn;
    std::memset(&ofn, 0, sizeof ofn);
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = nullptr;
    ofn.lpstrFilter = filter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = fullPath;
    ofn.nMaxFile = sizeof fullPath;
    ofn.lpstrFileTitle = fileName;
    ofn.nMaxFileTitle = sizeof fileName;
    ofn.lpstrInitialDir = windowsDir;
    ofn.lpstrTitle = title.c_str();
    ofn.lpstrDefExt = "dll";
    ofn.Flags = OFN_HIDEREADONLY | OFN_CREATEPROMPT | OFN_EXPLORER;

    for (;;) {
        if (!GetOpenFileNameA(&ofn))
            return 0;
        if (std::strcmp(fileName, kNotesDllName) == 0)
            break;
    }
    if (LoadNotesDllAt(fullPath)) {
        SaveNotesDllPath(fullPath);
        return 1;
    }
    const std::string text = FormatResourceText(IDS_LIBRARY_NOT_LOADED, kNotesDllName);
    const std::string caption = LoadResourceText(IDS_SETUP_CAPTION);
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_SYSTEMMODAL);
    return 0;
}

void SaveNotesDllPath(const char* path) {
    RegKey key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, key.receive(), nullptr) != ERROR_SUCCESS &&
        RegCreateKeyExA(HKEY_CURRENT_USER, TARN_NOTES_KEY, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, key.receive(), nullptr) != ERROR_SUCCESS)
        return;
    WriteRegistryText(key.get(), kNotesDllPathValue, path);
}

void GetNotesIniPath(char* dest, int scope) {
    CopyToBuffer(dest, kPathBufferSize, "notes.ini");
    // A path that a policy sets decides, whatever the scope, and is not copied into the
    // user's own key: it stays the administrator's.
    char managed[kPathBufferSize] = "";
    PolicyReports refused;
    const bool read =
        ReadPolicyText(TARN_NOTES_KEY, kNotesIniPathValue, ProductRoots::MachineThenUser, managed,
                       sizeof managed, refused);
    TraceEachRed(refused);
    if (read && managed[0] != '\0') {
        CopyToBuffer(dest, kPathBufferSize, managed);
        return;
    }
    RegKey key;
    if (RegOpenKeyExA(scope == 1 ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, 0,
                      KEY_READ, key.receive()) != ERROR_SUCCESS) {
        TraceError("GetNotesIniPath(): RegOpenKeyEx failed");
        return;
    }
    char path[kPathBufferSize] = "";
    if (!ReadRegistryText(key.get(), kNotesIniPathValue, path, sizeof path)) {
        TraceError("GetNotesIniPath(): RegQueryValueEx FAILED");
        return;
    }
    // An empty value names no file: the bare name serves, and nothing is copied.
    if (path[0] == '\0') {
        TraceError("GetNotesIniPath(): NotesIniPath is empty");
        return;
    }
    CopyToBuffer(dest, kPathBufferSize, path);
    if (scope != 0)
        return;
    RegKey userKey;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, TARN_NOTES_KEY, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, userKey.receive(),
                        nullptr) != ERROR_SUCCESS)
        return;
    WriteRegistryText(userKey.get(), kNotesIniPathValue, dest);
}
