// How long the driver waits for the programs under test, and the polling that does it.
#ifndef TARN_DRIVER_TIMING_H
#define TARN_DRIVER_TIMING_H

#include <windows.h>

namespace driver {

constexpr DWORD kPollIntervalMs = 20;     // between two looks at the programs' windows
constexpr DWORD kWindowTimeoutMs = 10000; // for a window to come or go
constexpr DWORD kExitTimeoutMs = 10000;   // for a program to end
constexpr DWORD kMessageTimeoutMs = 1000; // for one message sent to another process

// Calls done() every kPollIntervalMs until it returns true or timeoutMs have passed.
// Returns the last answer of done().
template <typename Done> bool PollUntil(Done done, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (done())
            return true;
        if (GetTickCount64() >= deadline)
            return false;
        Sleep(kPollIntervalMs);
    }
}

} // namespace driver

#endif
