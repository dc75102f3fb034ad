// One refresh at a time per Windows user on this computer, across every session of that user:
// a run holds a lock file in the user's local application data open, shared with nobody for
// writing, for as long as it runs. Windows closes the file when the process ends, however it
// ends, so a run that ended or was killed never blocks the next one. The file says who holds
// it and for how long it may (lock_holder.h), so that a run stuck while holding it is told
// from one at work.
#ifndef TARN_RUN_LOCK_H
#define TARN_RUN_LOCK_H

#include "lock_holder.h"
#include "win_handles.h"

#include <string>

class RunLock {
  public:
    enum class Outcome {
        Held,     // this run holds the lock
        Busy,     // another run holds it
        Unusable, // no lock file can be had here (why says so): the run goes on without one
    };
    // Tries once, without waiting. The lock held says that this run may hold it for as long as
    // a run with the longest RefreshDelay.
    Outcome Take(std::string& why);
    // Held: how long this run may hold the lock, once its settings are known.
    void SetBound(unsigned long seconds);
    // Held: the run is making progress (called as often as one likes): the bound, written at
    // most once a minute, lasts a run's bound from now.
    void StillAtWork();
    // Busy: the holder as the file says; false where it says nothing that can be read (a
    // holder that has not written it yet, or of an earlier version).
    bool ReadHolder(LockHolder& holder) const;

  private:
    void WriteHolder();
    KernelHandle file_;
    std::wstring path_;
    LockHolder own_;
    DWORD written_ = 0; // when the bound was last written (GetTickCount)
};

#endif
