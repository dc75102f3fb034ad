// Who holds the run lock, as its file says: the holder's process id, when it started and how
// long it may hold the lock (its RefreshDelay and the bounds of the connections and the search).
// A lock held longer is stuck: a run that hangs, or a window nobody answers. Platform-free.
#ifndef TARN_LOCK_HOLDER_H
#define TARN_LOCK_HOLDER_H

#include <cstdint>
#include <string>

struct LockHolder {
    unsigned long pid = 0;
    std::uint64_t start = 0; // 100-nanosecond ticks since 1601 (UTC)
    unsigned long boundSeconds = 0;
};

// What a run takes beside its RefreshDelay: twice the connection's steps (a run that waits
// reconnects), the change marker, a search whose server answers within its bound, and the
// records written, with room to spare.
constexpr unsigned long kRunBoundSeconds = 15 * 60;
// How long a run that waits up to refreshDelay seconds may hold the lock.
unsigned long LockBoundSeconds(unsigned long refreshDelay);

// The file's content: one line.
std::string LockHolderText(const LockHolder& holder);
// False for any other text (an empty file: a holder that has not written it yet).
bool ParseLockHolder(const std::string& text, LockHolder& holder);

// The bound of a holder still at work at now: a run's bound from now on, where that is later
// than the one it has, so that a run that writes a large book is never taken for stuck.
unsigned long BoundAtWork(const LockHolder& holder, std::uint64_t now);

// True where the holder has held the lock longer than its bound at now; never for a start
// after now (the clock was set back).
bool IsLockStuck(const LockHolder& holder, std::uint64_t now);

#endif
