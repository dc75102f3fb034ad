// A blocking call (connecting to a server, a sign-in, a question to the security packages) run on
// a thread of its own, while the calling thread, which shows a status window, answers that
// window's messages as the waits of message_pump.h do. Each call keeps its own bound; the wait
// here is only the last guard, so that no wait of the program is without one.
#ifndef TARN_ANSWERING_CALL_H
#define TARN_ANSWERING_CALL_H

#include <functional>
#include <memory>

// Runs call on a thread of its own and waits for it at most seconds, answering the calling
// thread's messages meanwhile. True when call returned within them; false when it did not: the
// thread is then left to end on its own, and with it call and whatever call holds, so a call
// that may be left behind owns what it uses (by value or by shared pointer). A call that runs
// out of memory ends there, its results as its caller set them before. Where no thread can be
// started, call runs on the calling thread, as it would without this.
bool CallAnswering(std::function<void()> call, unsigned seconds);

// Runs step as CallAnswering does, its result held jointly by the step and this call and released
// by whichever ends last. True with result set where step returned within seconds. False where it
// did not: result is left as it was, and nothing the step goes on to write ever reaches the
// caller.
template <typename Result>
bool CallAnsweringFor(std::function<Result()> step, unsigned seconds, Result& result) {
    const auto held = std::make_shared<Result>(result);
    if (!CallAnswering([held, step] { *held = step(); }, seconds))
        return false;
    result = *held; // the step's thread has ended
    return true;
}

#endif
