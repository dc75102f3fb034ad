// Whom a record of a whole refresh belongs to, as this run finds it: the computer, the Notes
// installation and data folder, the bridge library and TARNBOOK's version. Any of them
// different from the record's means that the record describes another address book.
#ifndef TARN_RECORD_OWNER_H
#define TARN_RECORD_OWNER_H

#include "refresh_rule.h"

#include <windows.h>

// notesLibrary and bridgeLibrary: the loaded nnotes.dll and tarnhook.dll; notesIniPath: the
// notes.ini in use; programVersion: TARNBOOK's version.
RecordOwner FindRecordOwner(HMODULE notesLibrary, HMODULE bridgeLibrary, const char* notesIniPath,
                            const char* programVersion);

#endif
