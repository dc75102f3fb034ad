#include "answer_reader.h"

#include "connection/directory_bind.h"
#include "directory_text.h"
#include "message_pump.h"
#include "win_handles.h"

#include <process.h>

#include <memory>
#include <new>
#include <utility>

namespace {

// What the reader and the caller share. The reader alone calls the library; the caller takes
// the records once the reader has ended, or leaves it when the server falls silent.
struct Reading {
    Reading(LDAP* s, ULONG m, const SearchRequest& request)
        : session(s), message(m), attributes(request) {}
    LDAP* const session;
    const ULONG message;
    // The reader's own: it may outlive the caller's wait.
    const EntryAttributes attributes;
    volatile LONG received = 0; // messages so far: what the caller watches
    SRWLOCK lock = SRWLOCK_INIT;
    // Under the lock:
    EntryRecords records;
    LdapResult closing;
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

// Ends the reading without the closing message, for why. Called under the lock.
void BreakOff(Reading& reading, ULONG why) {
    reading.read.end = AnswerEnd::Broken;
    reading.read.code = why;
    reading.ended = true;
}

void ReadUntilEnd(Reading& reading) {
    EntryRecord record;
    for (;;) {
        LdapResult part;
        const ULONG type =
            ldap_result(reading.session, reading.message, LDAP_MSG_ONE, nullptr, part.receive());
        // The library's error is the calling thread's: it is read here.
        const ULONG code = type == static_cast<ULONG>(-1) || !part.get()
                               ? LastLdapError()
                               : static_cast<ULONG>(LDAP_SUCCESS);
        // An entry, one a message, is turned into its record outside the lock and its
        // message freed at once.
        LDAPMessage* entry = code == LDAP_SUCCESS && type == LDAP_RES_SEARCH_ENTRY
                                 ? ldap_first_entry(reading.session, part.get())
                                 : nullptr;
        const bool isEntry = entry != nullptr;
        if (isEntry) {
            ReadEntryRecord(reading.session, entry, reading.attributes, record);
            part.reset();
        }
        ExclusiveLock hold(reading.lock);
        if (reading.left)
            return;
        if (code != LDAP_SUCCESS) {
            BreakOff(reading, code);
            return;
        }
        if (isEntry)
            reading.records.Add(record);
        ++reading.read.messages;
        InterlockedIncrement(&reading.received);
        if (type == LDAP_RES_SEARCH_RESULT) {
            reading.closing = std::move(part);
            reading.ended = true;
            return;
        }
    }
}

unsigned __stdcall ReadMessages(void* parameter) {
    const std::unique_ptr<std::shared_ptr<Reading>> owned(
        static_cast<std::shared_ptr<Reading>*>(parameter));
    Reading& reading = **owned;
    try {
        ReadUntilEnd(reading);
    } catch (const std::bad_alloc&) {
        // No room for another record: the answer breaks off like a lost connection.
        ExclusiveLock hold(reading.lock);
        BreakOff(reading, LDAP_NO_MEMORY);
    }
    return 0;
}

} // namespace

AnswerRead ReadAnswer(LDAP* session, ULONG message, const SearchRequest& request, unsigned seconds,
                      EntryRecords& records, LdapResult& closing) {
    auto reading = std::make_shared<Reading>(session, message, request);
    auto* handed = new std::shared_ptr<Reading>(reading);
    const uintptr_t started = _beginthreadex(nullptr, 0, ReadMessages, handed, 0, nullptr);
    if (!started) {
        delete handed;
        return {AnswerEnd::Broken, static_cast<ULONG>(LDAP_NO_MEMORY), 0};
    }
    KernelHandle reader(reinterpret_cast<HANDLE>(started));
    LONG seen = 0;
    unsigned silentSeconds = 0;
    // The caller's thread shows the status window: it answers that window's messages while it
    // waits, and still looks once a second, whatever came meanwhile.
    while (WaitAnswering(reader.get(), 1000) == WAIT_TIMEOUT) {
        const LONG received = InterlockedCompareExchange(&reading->received, 0, 0);
        if (received != seen) {
            seen = received;
            silentSeconds = 0;
        } else if (++silentSeconds >= seconds) {
            ExclusiveLock hold(reading->lock);
            if (reading->ended)
                break;
            reading->left = true;
            records.Append(std::move(reading->records));
            return {AnswerEnd::Silent, static_cast<ULONG>(LDAP_TIMEOUT), reading->read.messages};
        }
    }
    ExclusiveLock hold(reading->lock);
    records.Append(std::move(reading->records));
    closing = std::move(reading->closing);
    return reading->read;
}
