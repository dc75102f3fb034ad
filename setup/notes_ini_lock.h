// The lock of one notes.ini file that the setup program holds around the bridge's install or
// uninstall call and the read-change-write of the file that follows it, so that two runs at
// once never lose each other's change. It is an exclusive lock on one byte far past the end of
// the file, taken through a handle that shares everything: the profile functions, Notes and
// the bridge read and write the file as before, and as the lock belongs to the file itself,
// every name of it (8.3 names, a second drive letter, a mapped drive, a junction) meets the
// same lock. Windows releases it when the process ends, however it ends.
#ifndef TARN_NOTES_INI_LOCK_H
#define TARN_NOTES_INI_LOCK_H

#include "win_handles.h"

#include <windows.h>

// How long a run waits for another run to finish with the file.
constexpr DWORD kNotesIniLockWaitMs = 5000;

class NotesIniLock {
  public:
    NotesIniLock() = default;
    ~NotesIniLock() { Release(); }
    NotesIniLock(const NotesIniLock&) = delete;
    NotesIniLock& operator=(const NotesIniLock&) = delete;
    enum class Outcome {
        Held,     // this run holds the lock
        Busy,     // another run kept it for all of the wait
        Unusable, // no lock can be had here: the run goes on without one, as it always did
    };
    // Waits at most milliseconds for the lock of the file at iniPath, as the profile functions
    // find it (a bare file name lies in the Windows folder), answering the thread's messages
    // meanwhile. A missing file is created empty, as the first profile write would create it.
    Outcome Acquire(const char* iniPath, DWORD milliseconds);
    // Lets the next run have the file. Nothing happens when the lock is not held.
    void Release();

  private:
    KernelHandle file_{INVALID_HANDLE_VALUE};
    bool held_ = false;
};

#endif
