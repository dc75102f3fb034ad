// A bound on a server's silence that costs the waiting side nothing: another thread watches
// the connection for data from the server, and after the given time without any closes it,
// which ends any wait on it at once.
#ifndef TARN_SILENCE_WATCH_H
#define TARN_SILENCE_WATCH_H

#include "win_handles.h"

#include <winsock2.h>
#include <windows.h>

#include <atomic>

class SilenceWatch {
  public:
    // Watches connection until destroyed; Watching() tells whether it could.
    SilenceWatch(SOCKET connection, unsigned seconds);
    ~SilenceWatch();
    SilenceWatch(const SilenceWatch&) = delete;
    SilenceWatch& operator=(const SilenceWatch&) = delete;

    bool Watching() const { return thread_.valid(); }
    // Counts the silence from now: before a request, as the time before it was the client's.
    void Rearm() { silentSince_ = GetTickCount(); }
    // True once the server was silent for the whole bound and the connection was closed.
    bool Closed() const { return closed_; }

  private:
    static DWORD WINAPI Run(void* self) noexcept;
    void Watch();

    SOCKET connection_;
    DWORD bound_;
    bool started_ = false; // Windows Sockets started for this watch
    KernelHandle stop_;
    KernelHandle thread_; // declared after stop_: ends before it
    std::atomic<bool> closed_{false};
    std::atomic<DWORD> silentSince_{0};
};

#endif
