// Finding and loading the Notes core library nnotes.dll, and finding notes.ini.
#ifndef TARN_NOTES_DISCOVERY_H
#define TARN_NOTES_DISCOVERY_H

#include <windows.h>

// The process-wide handle of nnotes.dll; every load attempt stores its result here.
extern HMODULE g_hNotesDll;

// True when path is fully qualified (IsFullyQualifiedPath). Any other path, empty or relative,
// would be taken from the current folder or the root of the current drive: it names no file,
// and a blue trace line says which value (source) gave it.
bool NamesLibraryFile(const char* path, const char* source);
// Loads nnotes.dll from path into g_hNotesDll, its own folder searched for the libraries it
// needs; once loaded, that folder is searched for the libraries loaded after it. 1 when loaded.
int LoadNotesDllAt(const char* path);
// True when a policy names the path of nnotes.dll: it decides before any other way of finding it.
bool PolicyNamesNotesDll();
// Loads nnotes.dll from the recorded "NotesDllPath" (machine-wide first, then per user)
// and makes its folder the current directory. 1 when loaded; a path that names no file
// (NamesLibraryFile) counts as one that does not load.
int LoadSavedNotesDll();
// The recorded path, then the Lotus Notes registry keys; no user interface. 1 when loaded.
int FindNotesDll();
// Asks the user for nnotes.dll with the open-file dialog, loads it and records its path.
int BrowseForNotesDll();
// Records the path of nnotes.dll machine-wide when possible, else per user.
void SaveNotesDllPath(const char* path);
// The notes.ini path recorded for scope 1 (per user) or any other scope (machine-wide);
// "notes.ini" when none is recorded. dest holds 260 characters.
void GetNotesIniPath(char* dest, int scope);

#endif
