// The lock of one notes.ini file that the setup program holds around each read-change-write of
// it, so that two runs at once never lose each other's change. It is a named mutex that every
// user may wait for, in the global namespace so that runs in other sessions see it too, named
// after the file's full path without regard to letter case. Windows releases it when the
// process ends, however it ends.
#ifndef TARN_NOTES_INI_LOCK_H
#define TARN_NOTES_INI_LOCK_H

#include "win_handles.h"

#include <windows.h>

#include <string>

// How long a run waits for another run to finish with the file.
constexpr DWORD kNotesIniLockWaitMs = 5000;

// The lock's name for the notes.ini at iniPath, as the profile functions find it (a bare
// file name in the Windows folder).
std::string NotesIniLockName(const char* iniPath);

class NotesIniLock {
  public:
    NotesIniLock() = default;
    ~NotesIniLock();
    NotesIniLock(const NotesIniLock&) = delete;
    NotesIniLock& operator=(const NotesIniLock&) = delete;
    enum class Outcome {
        Held,     // this run holds the lock
        Busy,     // another run kept it for all of the wait
        Unusable, // no lock can be had here: the run goes on without one, as it always did
    };
    // Waits at most milliseconds for the lock of the file at iniPath, answering the thread's
    // messages meanwhile.
    Outcome Acquire(const char* iniPath, DWORD milliseconds);

  private:
    KernelHandle mutex_;
    bool held_ = false;
};

#endif
