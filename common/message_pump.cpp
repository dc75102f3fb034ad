#include "message_pump.h"

namespace {
// The longest one round of answering may take: messages that never stop coming (or a paint
// that is never done) cannot keep the thread from its work.
constexpr DWORD kMostAnsweringMs = 100;
} // namespace

void AnswerWaitingMessages() {
    MSG message;
    const DWORD start = GetTickCount();
    // Messages sent from other threads are handled inside PeekMessage itself.
    while (GetTickCount() - start < kMostAnsweringMs &&
           PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

DWORD WaitAnswering(HANDLE object, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD passed = GetTickCount() - start;
        const DWORD left = passed < milliseconds ? milliseconds - passed : 0;
        // MWMO_INPUTAVAILABLE: a message that came before the wait wakes it too.
        const DWORD woke =
            MsgWaitForMultipleObjectsEx(1, &object, left, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke != WAIT_OBJECT_0 + 1)
            return woke;
        AnswerWaitingMessages();
        // Messages that keep coming do not stretch the wait.
        if (GetTickCount() - start >= milliseconds)
            return WaitForSingleObject(object, 0);
    }
}

void MessagesNowAndThen::Answer() {
    const DWORD now = GetTickCount();
    if (now - last_ < interval_)
        return;
    AnswerWaitingMessages();
    last_ = GetTickCount();
}
