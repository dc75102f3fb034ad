#include "run_event.h"

#include "system_error.h"
#include "trace.h"
#include "win_handles.h"

namespace {

// The event type that the message id's severity bits (its top two) name.
WORD EventTypeOf(DWORD eventId) {
    switch (eventId >> 30) {
    case 3:
        return EVENTLOG_ERROR_TYPE;
    case 2:
        return EVENTLOG_WARNING_TYPE;
    default:
        return EVENTLOG_INFORMATION_TYPE;
    }
}

bool SourceIsRegistered(const char* source) {
    RegKey key;
    const std::string name = std::string(TARN_EVENT_SOURCES_KEY) + "\\" + source;
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, name.c_str(), 0, KEY_QUERY_VALUE, key.receive()) ==
           ERROR_SUCCESS;
}

class EventSource {
  public:
    explicit EventSource(const char* source) : handle_(RegisterEventSourceA(nullptr, source)) {}
    ~EventSource() {
        if (handle_)
            DeregisterEventSource(handle_);
    }
    EventSource(const EventSource&) = delete;
    EventSource& operator=(const EventSource&) = delete;
    HANDLE get() const { return handle_; }

  private:
    HANDLE handle_;
};

} // namespace

bool ReportRunEvent(const char* source, DWORD eventId, const std::vector<std::string>& strings) {
    if (!SourceIsRegistered(source)) {
        Trace((std::string("The event source ") + source +
               " is not registered on this computer: the event log shows this run's event "
               "without its text. Installing the package registers it.")
                  .c_str(),
              kTraceBlue);
    }
    EventSource log(source);
    std::vector<LPCSTR> inserts;
    for (const std::string& text : strings)
        inserts.push_back(text.c_str());
    if (log.get() && ReportEventA(log.get(), EventTypeOf(eventId), 0, eventId, nullptr,
                                  static_cast<WORD>(inserts.size()), 0,
                                  inserts.empty() ? nullptr : inserts.data(), nullptr))
        return true;
    Trace((std::string("This run's event could not be written to the Application log (") +
           SystemErrorWords(GetLastError()) + ").")
              .c_str(),
          kTraceRed);
    return false;
}
