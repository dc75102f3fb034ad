#include "answer_reader.h"

#include "directory_bind.h"
#include "win_handles.h"

#include <process.h>

#include <memory>
#include <utility>

namespace {

// What the reader and the caller share. The reader alone calls the library; the caller takes
// the parts once the reader has ended, or leaves it when the server falls silent.
struct Reading {
    Reading(LDAP* s, ULONG m) : session(s), message(m) {}
    LDAP* const session;
    const ULONG message;
    volatile LONG received = 0; // messages so far: what the caller watches
    SRWLOCK lock = SRWLOCK_INIT;
    // Under the lock:
    std::vector<LdapResult> parts;
    AnswerRead read;
    bool ended = false; // the reader is done with the session
    bool left = false;  // the caller stopped waiting: the reader keeps nothing more
};

class ExclusiveLock {
  public:
    explicit ExclusiveLock(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~ExclusiveLock() { ReleaseSRWLockExclusive(&lock_); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

  private:
    SRWLOCK& lock_;
};

unsigned __stdcall ReadMessages(void* parameter) {
    const std::unique_ptr<std::shared_ptr<Reading>> owned(
        static_cast<std::shared_ptr<Reading>*>(parameter));
    Reading& reading = **owned;
    for (;;) {
        LdapResult part;
        const ULONG type =
            ldap_result(reading.session, reading.message, LDAP_MSG_ONE, nullptr, part.receive());
        // The library's error is the calling thread's: it is read here.
        const ULONG code = type == static_cast<ULONG>(-1) || !part.get()
                               ? LastLdapError()
                               : static_cast<ULONG>(LDAP_SUCCESS);
        ExclusiveLock hold(reading.lock);
        if (reading.left)
            return 0;
        if (code != LDAP_SUCCESS) {
            reading.read = {AnswerEnd::Broken, code};
            reading.ended = true;
            return 0;
        }
        reading.parts.push_back(std::move(part));
        InterlockedIncrement(&reading.received);
        if (type == LDAP_RES_SEARCH_RESULT) {
            reading.ended = true;
            return 0;
        }
    }
}

// Appends the parts of from to to, without a second list of them where to is empty.
void TakeParts(std::vector<LdapResult>& from, std::vector<LdapResult>& to) {
    if (to.empty()) {
        to.swap(from);
        return;
    }
    for (LdapResult& part : from)
        to.push_back(std::move(part));
    from.clear();
}

} // namespace

AnswerRead ReadAnswer(LDAP* session, ULONG message, unsigned seconds,
                      std::vector<LdapResult>& parts) {
    auto reading = std::make_shared<Reading>(session, message);
    auto* handed = new std::shared_ptr<Reading>(reading);
    const uintptr_t started = _beginthreadex(nullptr, 0, ReadMessages, handed, 0, nullptr);
    if (!started) {
        delete handed;
        return {AnswerEnd::Broken, static_cast<ULONG>(LDAP_NO_MEMORY)};
    }
    KernelHandle reader(reinterpret_cast<HANDLE>(started));
    LONG seen = 0;
    unsigned silentSeconds = 0;
    while (WaitForSingleObject(reader.get(), 1000) == WAIT_TIMEOUT) {
        const LONG received = InterlockedCompareExchange(&reading->received, 0, 0);
        if (received != seen) {
            seen = received;
            silentSeconds = 0;
        } else if (++silentSeconds >= seconds) {
            ExclusiveLock hold(reading->lock);
            if (reading->ended)
                break;
            reading->left = true;
            TakeParts(reading->parts, parts);
            return {AnswerEnd::Silent, static_cast<ULONG>(LDAP_TIMEOUT)};
        }
    }
    ExclusiveLock hold(reading->lock);
    TakeParts(reading->parts, parts);
    return reading->read;
}
