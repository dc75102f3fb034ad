#include "trace.h"

#include "policy_values.h"
#include "product_keys.h"
#include "registry_text.h"
#include "trace_trim.h"
#include "win_handles.h"

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

namespace {

struct TraceSettings {
    DWORD mask = 0xFFFFFFFF;
    DWORD toFile = 0;
    char path[MAX_PATH] = "";
};

// Reads a number without a type check: the bytes read replace the low bytes of the
// default; a value longer than 4 bytes leaves the default whole.
LSTATUS ReadDword(HKEY key, const char* name, DWORD& value) {
    DWORD read = value;
    DWORD size = sizeof read;
    const LSTATUS status =
        RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&read), &size);
    if (status == ERROR_SUCCESS)
        value = read;
    return status;
}

// The settings as the key holds them now; false when the key handle no longer reads (the key
// was deleted since it was opened, or the handle went bad). A user policy of a type not used
// for its value counts as absent and is reported into reports.
bool ReadFromKey(HKEY key, TraceSettings& settings, PolicyReports& reports) {
    reports.clear();
    settings = TraceSettings();
    const LSTATUS status = ReadDword(key, kTraceComponentsValue, settings.mask);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND && status != ERROR_MORE_DATA)
        return false;
    ReadDword(key, kTraceToFileValue, settings.toFile);
    ReadRegistryText(key, kTraceFileValue, settings.path, sizeof settings.path);
    // The user policy over the user's own values, read by their registry type.
    ReadPolicyNumber(TARN_PRODUCT_KEY, kTraceComponentsValue, ProductRoots::PerUser, settings.mask,
                     reports);
    ReadPolicyNumber(TARN_PRODUCT_KEY, kTraceToFileValue, ProductRoots::PerUser, settings.toFile,
                     reports);
    ReadPolicyText(TARN_PRODUCT_KEY, kTraceFileValue, ProductRoots::PerUser, settings.path,
                   sizeof settings.path, reports);
    if (settings.toFile == 0)
        settings.path[0] = '\0';
    return true;
}

// The settings as the key holds them at each line. The key stays open from the first line on,
// and the values are read again whenever something changed under the key's parent (a value
// set or deleted, the key deleted or created): between changes a line costs one look at an
// event rather than a read of every value. The parent is watched because a key that is deleted
// does not always report it itself. A key deleted meanwhile is opened again, created where it
// is missing, as at the first line. Where no change can be watched, the values are read at
// every line. Only one line at a time reads it (Trace holds its lock).
class SettingsSource {
  public:
    TraceSettings Current() {
        if (armed_) {
            // One look at both watches: a change of the product key comes first.
            const HANDLE events[] = {changed_.get(), policiesChanged_.get()};
            const DWORD seen = WaitForMultipleObjects(policiesArmed_ ? 2 : 1, events, FALSE, 0);
            if (seen == WAIT_TIMEOUT)
                return settings_;
            if (seen == WAIT_OBJECT_0 + 1) {
                // Only the policies changed: the product key's watch stays armed.
                policiesArmed_ = ArmPolicies();
                if (Read())
                    return settings_;
            }
        }
        armed_ = false;
        // A change of the policies seen together with one of the product key.
        if (!policiesArmed_ || WaitForSingleObject(policiesChanged_.get(), 0) == WAIT_OBJECT_0)
            policiesArmed_ = ArmPolicies();
        for (int attempt = 0; attempt < 2; ++attempt) {
            if ((!key_ || attempt > 0) && !Open()) {
                armed_ = false;
                return TraceSettings();
            }
            // Armed before the values are read: a change made meanwhile shows at the next line.
            armed_ = Arm();
            if (!armed_ && attempt > 0)
                unwatchable_ = true;
            if ((armed_ || unwatchable_) && Read())
                return settings_;
        }
        armed_ = false;
        return TraceSettings();
    }

    // The reports of unusable trace policies not traced yet; each is handed out once, and again
    // only after a read without it.
    PolicyReports TakeNewReports() {
        PolicyReports fresh;
        fresh.swap(pending_);
        return fresh;
    }

  private:
    bool Read() {
        PolicyReports reports;
        if (!ReadFromKey(key_.get(), settings_, reports))
            return false;
        for (const std::string& report : reports) {
            if (std::find(reported_.begin(), reported_.end(), report) == reported_.end())
                pending_.push_back(report);
        }
        reported_ = std::move(reports);
        return true;
    }

    bool Open() {
        key_.reset();
        parent_.reset();
        if (RegCreateKeyExA(HKEY_CURRENT_USER, TARN_PRODUCT_KEY, 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_QUERY_VALUE, nullptr, key_.receive(),
                            nullptr) != ERROR_SUCCESS)
            return false;
        // Without the parent the key is still read, at every line.
        const std::string product = TARN_PRODUCT_KEY;
        const std::string parent = product.substr(0, product.rfind('\\'));
        RegOpenKeyExA(HKEY_CURRENT_USER, parent.c_str(), 0, KEY_NOTIFY, parent_.receive());
        return true;
    }

    static bool Watch(HKEY key, BOOL subtree, KernelHandle& event) {
        if (!event.valid())
            event.reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
        return event.valid() &&
               RegNotifyChangeKeyValue(key, subtree,
                                       REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                       event.get(), TRUE) == ERROR_SUCCESS;
    }

    bool Arm() { return !unwatchable_ && parent_ && Watch(parent_.get(), TRUE, changed_); }

    // The user's policies: a policy set or withdrawn meanwhile counts from the next line on.
    // Where the user has none yet, the creation of the Policies key is watched instead. A key
    // handle is watched once at a time: it is opened afresh whenever it is armed again.
    bool ArmPolicies() {
        policies_.reset();
        if (RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Policies", 0, KEY_NOTIFY,
                          policies_.receive()) == ERROR_SUCCESS)
            return Watch(policies_.get(), TRUE, policiesChanged_);
        return RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE", 0, KEY_NOTIFY, policies_.receive()) ==
                   ERROR_SUCCESS &&
               Watch(policies_.get(), FALSE, policiesChanged_);
    }

    RegKey key_;
    RegKey parent_;        // KEY_NOTIFY only
    KernelHandle changed_; // auto-reset: the look that sees a change also clears it
    bool armed_ = false;
    bool unwatchable_ = false; // a freshly opened key could not be watched: read every line
    RegKey policies_;          // KEY_NOTIFY only: the Policies key, or SOFTWARE until it exists
    KernelHandle policiesChanged_;
    bool policiesArmed_ = false;
    TraceSettings settings_;
    PolicyReports reported_; // of the latest read
    PolicyReports pending_;  // not traced yet
};

SettingsSource& TraceSettingsSource() {
    static SettingsSource source;
    return source;
}

HWND FindViewerWindow() {
    KernelHandle mapping(OpenFileMappingA(FILE_MAP_READ, FALSE, "VXTRACE_WINDOW_HANDLE"));
    if (!mapping.valid())
        return nullptr;
    MappedView view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
    if (!view.get())
        return nullptr;
    std::uint32_t handle = 0;
    std::memcpy(&handle, view.get(), sizeof handle);
    // Window handles are 32-bit values, widened with their sign as the platform does.
    return reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(handle)));
}

// How long one line may wait for the viewer to take it.
constexpr UINT kViewerBoundMs = 3000;

// The viewer window that once kept a line waiting past the bound (or that the system found
// hung): it counts as gone for the rest of the run, so that a viewer that stopped answering
// costs one bound in all, not one per line. A viewer started later has another window.
std::atomic<HWND> g_goneViewer{nullptr};

void SendToViewer(const char* text, DWORD colour) {
    const HWND viewer = FindViewerWindow();
    if (!viewer || viewer == g_goneViewer.load())
        return;
    const std::size_t size = std::strlen(text) + 1;
    void* copy = HeapAlloc(GetProcessHeap(), 0, size);
    if (!copy)
        return;
    std::memcpy(copy, text, size);
    COPYDATASTRUCT data;
    data.dwData = colour;
    data.cbData = static_cast<DWORD>(size);
    data.lpData = copy;
    // Still synchronous: the viewer reads the copy before the send returns. Not SMTO_BLOCK, so
    // that this thread's own windows keep answering what is sent to them meanwhile, as with a
    // plain send. A stale handle fails at once with ERROR_INVALID_WINDOW_HANDLE.
    DWORD_PTR answer = 0;
    SetLastError(ERROR_SUCCESS);
    if (!SendMessageTimeoutA(viewer, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                             SMTO_NORMAL | SMTO_ABORTIFHUNG, kViewerBoundMs, &answer) &&
        GetLastError() == ERROR_TIMEOUT)
        g_goneViewer.store(viewer);
    HeapFree(GetProcessHeap(), 0, copy);
}

// Opens the trace file, waiting up to 5 s for another writer to let it go.
HANDLE OpenTraceFile(const char* path) {
    const DWORD deadline = GetTickCount() + 5000;
    for (;;) {
        HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            return file;
        // Only another writer holding the file is worth waiting for; a path that can never
        // be opened (a folder, a missing drive) would cost every line the whole wait.
        const DWORD error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION)
            return INVALID_HANDLE_VALUE;
        if (static_cast<LONG>(GetTickCount() - deadline) > 0)
            return INVALID_HANDLE_VALUE;
        Sleep(1);
    }
}

void WriteBytes(HANDLE file, const void* bytes, DWORD size) {
    DWORD written = 0;
    WriteFile(file, bytes, size, &written, nullptr);
}

void AppendToTraceFile(const char* path, const char* text) {
    KernelHandle file(OpenTraceFile(path));
    if (!file.valid())
        return;
    SetFilePointer(file.get(), 0, nullptr, FILE_END);
    SYSTEMTIME now;
    GetLocalTime(&now);
    const std::string prefix =
        FormatTracePrefix(now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    WriteBytes(file.get(), prefix.data(), static_cast<DWORD>(prefix.size()));
    WriteBytes(file.get(), text, static_cast<DWORD>(std::strlen(text)));
    WriteBytes(file.get(), "\r\n", 2);
    if (GetFileSize(file.get(), nullptr) > kTraceFileLimit)
        TrimTraceFile(file.get(), kTraceFileCut);
}

} // namespace

namespace {

void Deliver(const char* text, DWORD colour, const TraceSettings& settings) {
    SendToViewer(text, colour);
    if (settings.path[0] != '\0')
        AppendToTraceFile(settings.path, text);
}

// One line at a time, from any thread: the settings' source keeps handles and state, and the
// viewer and the file take whole lines. Recursive, since the thread that waits on the viewer
// answers its own windows' messages meanwhile, which may trace.
std::recursive_mutex& TraceLock() {
    static std::recursive_mutex lock;
    return lock;
}

} // namespace

void Trace(const char* text, DWORD colour) {
    const std::lock_guard<std::recursive_mutex> hold(TraceLock());
    // A line traced from inside the settings read (what it calls must not trace; should it
    // ever) is dropped instead of reading the settings again inside their own read.
    static thread_local bool readingSettings = false;
    if (readingSettings)
        return;
    readingSettings = true;
    SettingsSource& source = TraceSettingsSource();
    const TraceSettings settings = source.Current();
    const PolicyReports reports = source.TakeNewReports();
    readingSettings = false;
    // A trace policy of a wrong type, once per change, in red: red always passes the filter.
    for (const std::string& report : reports)
        Deliver(report.c_str(), kTraceRed, settings);
    if (!TracePassesFilter(colour, settings.mask))
        return;
    Deliver(text, colour, settings);
}

void TrimTraceFile(HANDLE file, DWORD cut) {
    if (file == INVALID_HANDLE_VALUE || file == nullptr)
        return;
    // 64-bit offsets: a trace file named over some large existing file is moved correctly too.
    const auto seek = [file](std::uint64_t offset) {
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(offset);
        return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) != FALSE;
    };
    const std::uint64_t end = MoveTailToFront(
        cut,
        [&seek, file](std::uint64_t offset, char* buffer, std::size_t size) -> std::size_t {
            DWORD read = 0;
            if (!seek(offset) || !ReadFile(file, buffer, static_cast<DWORD>(size), &read, nullptr))
                return 0;
            return read;
        },
        [&seek, file](std::uint64_t offset, const char* bytes, std::size_t size) -> std::size_t {
            DWORD written = 0;
            if (seek(offset))
                WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr);
            return written;
        });
    seek(end);
    SetEndOfFile(file);
}

void TraceEachRed(const std::vector<std::string>& texts) {
    for (const std::string& text : texts)
        Trace(text.c_str(), kTraceRed);
}

void TraceError(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof text)
        return;
    Trace(text, kTraceRed);
}
