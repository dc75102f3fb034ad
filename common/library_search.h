// Where the programs load libraries from. The current folder and the PATH folders are never
// searched: a library planted there (a logon script's folder, a share, Downloads) must not
// run inside the programs.
#ifndef TARN_LIBRARY_SEARCH_H
#define TARN_LIBRARY_SEARCH_H

#include <windows.h>

#include <string>

// Takes the current folder and the PATH folders out of the library search of the whole
// process; the first thing each program does.
void RestrictLibrarySearch();

// The folder of a loaded module, or of the running program for null, with its closing
// backslash; empty when it cannot be told.
std::string ModuleFolder(HMODULE module);

// Loads name from the running program's own folder as a resource image: its texts and
// templates can be used, and none of its code ever runs.
HMODULE LoadResourceImage(const char* name);

// Loads the library at path, with its own folder searched for the libraries it needs. Only a
// fully qualified path is taken (IsFullyQualifiedPath); any other names no library.
HMODULE LoadLibraryAt(const char* path);

// Adds the folder of a loaded library to the library search of the process, so that the
// libraries loaded after it find theirs there.
void SearchLibraryFolder(HMODULE library);

#endif
