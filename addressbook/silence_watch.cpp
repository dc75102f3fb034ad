#include "silence_watch.h"

namespace {

// How often the connection is looked at: after data, the next look comes this much later,
// so that a fast server costs a few looks a second, not one per message.
constexpr DWORD kLookMilliseconds = 100;

// True for a socket of this process: a library may hand out something else, or a value cut
// to 32 bits.
bool IsSocket(SOCKET connection) {
    if (connection == 0 || connection == INVALID_SOCKET ||
        (connection & 0xFFFFFFFFu) == 0xFFFFFFFFu)
        return false;
    int type = 0;
    int size = sizeof type;
    return getsockopt(connection, SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&type), &size) ==
               0 &&
           type == SOCK_STREAM;
}

} // namespace

SilenceWatch::SilenceWatch(SOCKET connection, unsigned seconds)
    : connection_(connection), bound_(seconds * 1000) {
    WSADATA data;
    started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    if (!started_ || !IsSocket(connection_))
        return;
    stop_.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    Rearm();
    if (stop_.valid())
        thread_.reset(CreateThread(nullptr, 0, Run, this, 0, nullptr));
}

SilenceWatch::~SilenceWatch() {
    if (thread_.valid()) {
        SetEvent(stop_.get());
        WaitForSingleObject(thread_.get(), INFINITE);
    }
    if (started_)
        WSACleanup();
}

DWORD WINAPI SilenceWatch::Run(void* self) noexcept {
    static_cast<SilenceWatch*>(self)->Watch();
    return 0;
}

void SilenceWatch::Watch() {
    while (WaitForSingleObject(stop_.get(), 0) == WAIT_TIMEOUT) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(connection_, &readable);
        timeval look = {0, static_cast<long>(kLookMilliseconds * 1000)};
        const int ready = select(0, &readable, nullptr, nullptr, &look);
        if (ready < 0)
            return; // the connection is gone already: whoever waits on it has been told
        if (ready > 0) {
            // The server spoke. Data that arrives during the pause is not seen, so the
            // silence is counted from the next look.
            if (WaitForSingleObject(stop_.get(), kLookMilliseconds) != WAIT_TIMEOUT)
                return;
            Rearm();
            continue;
        }
        if (GetTickCount() - silentSince_ >= bound_) {
            closed_ = true;
            closesocket(connection_);
            return;
        }
    }
}
