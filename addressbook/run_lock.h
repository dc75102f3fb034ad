// One refresh at a time per Windows user on this computer, across every session of that user:
// a run holds a lock file in the user's local application data open, shared with nobody, for
// as long as it runs. Windows closes the file when the process ends, however it ends, so a run
// that ended or was killed never blocks the next one.
#ifndef TARN_RUN_LOCK_H
#define TARN_RUN_LOCK_H

#include "win_handles.h"

#include <string>

class RunLock {
  public:
    enum class Outcome {
        Held,     // this run holds the lock
        Busy,     // another run holds it
        Unusable, // no lock file can be had here (why says so): the run goes on without one
    };
    // Tries once, without waiting.
    Outcome Take(std::string& why);

  private:
    KernelHandle file_;
};

#endif
