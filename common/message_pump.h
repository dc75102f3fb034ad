// Keeps the windows of the programs' one thread answering while that thread waits or works.
// A thread that takes no message for a few seconds has its windows counted as not responding,
// and every program that sends them a message (a broadcast among them) waits on it.
#ifndef TARN_MESSAGE_PUMP_H
#define TARN_MESSAGE_PUMP_H

#include <windows.h>

// Dispatches every message waiting for the calling thread's windows, those sent to them from
// other threads included, and returns when none is left or after at most a tenth of a second.
// A request to quit is dropped: nothing ends a run halfway.
void AnswerWaitingMessages();

// Waits at most milliseconds for object, answering the calling thread's messages as they come.
// However many come, the wait ends when its time is up. Returns WAIT_OBJECT_0, WAIT_TIMEOUT or
// WAIT_FAILED, as WaitForSingleObject does.
DWORD WaitAnswering(HANDLE object, DWORD milliseconds);

// For a long run of work on the thread: answers the waiting messages once interval has passed
// since the last time. In between, a call costs one look at the clock.
class MessagesNowAndThen {
  public:
    explicit MessagesNowAndThen(DWORD intervalMs) : interval_(intervalMs), last_(GetTickCount()) {}
    void Answer();

  private:
    DWORD interval_;
    DWORD last_;
};

#endif
