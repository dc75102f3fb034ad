// The process-wide binding of the bridge library tarnhook.dll: its handle and one slot
// per export, each filled at most once.
#ifndef TARN_BRIDGE_BINDING_H
#define TARN_BRIDGE_BINDING_H

#include <windows.h>

// The bridge is called with the C calling convention, written out so that no compiler option
// (such as /Gz or -mrtd) can change it.
extern "C" {
typedef int(__cdecl* PFN_InitNotesSession)(void);
typedef int(__cdecl* PFN_CloseNotesSession)(void);
typedef int(__cdecl* PFN_OpenAddressBook)(const char* mailServer, int flag);
typedef int(__cdecl* PFN_DeleteAll)(int flag);
typedef int(__cdecl* PFN_AddNewAddressBookRecord)(const char* lastName, const char* firstName,
                                                  const char* phone, const char* mail, int flag);
// The same record with its texts in UTF-16: no character is lost to the code page.
typedef int(__cdecl* PFN_AddNewAddressBookRecordW)(const wchar_t* lastName,
                                                   const wchar_t* firstName, const wchar_t* phone,
                                                   const wchar_t* mail, int flag);
typedef int(__cdecl* PFN_CloseAddressBook)(void);
typedef int(__cdecl* PFN_InstallVoxtarionComponents)(int flag);
typedef int(__cdecl* PFN_UnInstallVoxtarionComponents)(void);
typedef int(__cdecl* PFN_ServerInstallVoxtarionComponents)(const char* databasePath, int flag);
}

struct BridgeBinding {
    HMODULE library = nullptr;
    PFN_InitNotesSession InitNotesSession = nullptr;
    PFN_CloseNotesSession CloseNotesSession = nullptr;
    PFN_AddNewAddressBookRecord AddNewAddressBookRecord = nullptr;
    PFN_AddNewAddressBookRecordW AddNewAddressBookRecordW = nullptr; // where the bridge has it
    PFN_OpenAddressBook OpenAddressBook = nullptr;
    PFN_CloseAddressBook CloseAddressBook = nullptr;
    PFN_DeleteAll DeleteAll = nullptr;
    PFN_InstallVoxtarionComponents InstallVoxtarionComponents = nullptr;
    PFN_UnInstallVoxtarionComponents UnInstallVoxtarionComponents = nullptr;
    PFN_ServerInstallVoxtarionComponents ServerInstallVoxtarionComponents = nullptr;
};

extern BridgeBinding g_bridge;

// The bridge library's file name.
constexpr const char kBridgeLibraryName[] = "tarnhook.dll";

// Loads the bridge library unless it is loaded already: from the programs' own folder, else
// from the folder of notesLibrary (the loaded nnotes.dll), never through the library search.
// True when it is loaded.
bool LoadBridgeLibrary(HMODULE notesLibrary);

FARPROC LookUpBridgeExport(const char* name);

// Fills slot with the export of that name unless it is filled already. True when filled.
template <typename Fn> bool BindBridgeExport(Fn& slot, const char* name) {
    if (!slot) {
        // Through void(*)(), the one function pointer type that converts to every other.
        slot = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(LookUpBridgeExport(name)));
    }
    return slot != nullptr;
}

// Frees the bridge library at exit.
void FreeBridgeLibrary();

#endif
