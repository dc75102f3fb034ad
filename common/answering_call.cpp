#include "answering_call.h"

#include "message_pump.h"
#include "win_handles.h"

#include <process.h>

#include <memory>
#include <new>

namespace {

unsigned __stdcall RunCall(void* parameter) {
    const std::unique_ptr<std::function<void()>> call(
        static_cast<std::function<void()>*>(parameter));
    try {
        (*call)();
    } catch (const std::bad_alloc&) {
        return 1; // what the call was to give stays as it was: a failure
    }
    return 0;
}

} // namespace

bool CallAnswering(std::function<void()> call, unsigned seconds) {
    auto handed = std::make_unique<std::function<void()>>(std::move(call));
    const uintptr_t started = _beginthreadex(nullptr, 0, RunCall, handed.get(), 0, nullptr);
    if (!started) {
        (*handed)();
        return true;
    }
    handed.release(); // the thread's now
    const KernelHandle thread(reinterpret_cast<HANDLE>(started));
    return WaitAnswering(thread.get(), seconds * 1000) == WAIT_OBJECT_0;
}
