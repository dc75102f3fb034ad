#include "last_refresh.h"

#include "product_keys.h"
#include "registry_text.h"
#include "system_error.h"
#include "trace.h"
#include "win_handles.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <utility>

namespace {

// The record lives below HKCU\Software\Classes\Local Settings: Windows leaves that part of the
// user's registry out of a roaming profile, so a record made on one computer is never found
// on another. A file under %LOCALAPPDATA% would stay as well, but would need a format and an
// atomic replace of its own; the registry writes each value whole, which the generations
// below rely on, and the programs keep all their state there.
#define TARN_LAST_REFRESH_KEY TARN_LOCAL_NOTES_KEY "\\Last Refresh"
// Where the record was kept before: in the part of the profile that roams.
#define TARN_ROAMING_REFRESH_KEY TARN_NOTES_KEY "\\Last Refresh"

constexpr char kDigestValue[] = "Digest";
constexpr char kMarkerValue[] = "Marker";
// Where earlier versions kept the shrink guard's source with the record: no longer read, and
// removed when a record is stored.
constexpr char kSourceValue[] = "Source";
constexpr char kRecordsValue[] = "Records";
constexpr char kTimeValue[] = "Time";
constexpr char kComputerValue[] = "Computer";
constexpr char kNotesValue[] = "Notes";
constexpr char kBridgeValue[] = "Bridge";
constexpr char kProgramValue[] = "Program";
// The record's generations: "Begun" is raised before the address book is emptied and before a
// record is written, "Whole" set to the same number by the last write of a complete record.
// Only a record whose two are equal is one; each is one value, written whole.
constexpr char kBegunValue[] = "Begun";
constexpr char kWholeValue[] = "Whole";
// A change marker (a DirSync cookie in base64 with what names its server) and its terminator.
constexpr std::size_t kMarkerBufferSize = 16384;
// A digest: 64 hex digits and the terminator.
constexpr std::size_t kDigestBufferSize = 65;

bool ReadQword(HKEY key, const char* name, std::uint64_t& value) {
    DWORD type = 0, size = sizeof value;
    return RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
               ERROR_SUCCESS &&
           type == REG_QWORD && size == sizeof value;
}

LSTATUS WriteQword(HKEY key, const char* name, std::uint64_t value) {
    return RegSetValueExA(key, name, 0, REG_QWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value);
}

// A digest of 64 hex digits, else false.
bool ReadDigest(HKEY key, const char* name, std::string& digest) {
    char text[kDigestBufferSize] = "";
    if (!ReadRegistryText(key, name, text, sizeof text) || std::strlen(text) != 64)
        return false;
    digest = text;
    return true;
}

// The generation after every one the record holds.
std::uint64_t NextGeneration(HKEY key) {
    std::uint64_t begun = 0, whole = 0;
    ReadQword(key, kBegunValue, begun);
    ReadQword(key, kWholeValue, whole);
    return (begun > whole ? begun : whole) + 1;
}

// The record in the roaming profile is no longer read; it is removed wherever it is found, so
// that nobody takes it for the one in use. Nothing depends on its removal: a failure is not
// reported.
void RemoveRoamingRecord() {
    RegDeleteKeyA(HKEY_CURRENT_USER, TARN_ROAMING_REFRESH_KEY);
}

} // namespace

bool ReadLastRefresh(LastRefresh& last) {
    RemoveRoamingRecord();
    // Opened for writing too: a record that cannot be changed could not have been set aside
    // before a run emptied the address book, so it may describe a book that run left partial.
    RegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, TARN_LAST_REFRESH_KEY, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                      key.receive()) != ERROR_SUCCESS)
        return false;
    std::uint64_t begun = 0, whole = 0, time = 0;
    DWORD records = 0, recordsSize = sizeof records, type = 0;
    char marker[kMarkerBufferSize] = "";
    LastRefresh read;
    if (!ReadQword(key.get(), kBegunValue, begun) || !ReadQword(key.get(), kWholeValue, whole) ||
        begun != whole || !ReadDigest(key.get(), kDigestValue, read.digest) ||
        !ReadRegistryText(key.get(), kMarkerValue, marker, sizeof marker) ||
        RegQueryValueExA(key.get(), kRecordsValue, nullptr, &type,
                         reinterpret_cast<BYTE*>(&records), &recordsSize) != ERROR_SUCCESS ||
        type != REG_DWORD || !ReadQword(key.get(), kTimeValue, time) ||
        !ReadDigest(key.get(), kComputerValue, read.owner.computer) ||
        !ReadDigest(key.get(), kNotesValue, read.owner.notes) ||
        !ReadDigest(key.get(), kBridgeValue, read.owner.bridge) ||
        !ReadDigest(key.get(), kProgramValue, read.owner.program))
        return false;
    read.marker = marker;
    read.records = records;
    read.time = time;
    last = read;
    return true;
}

bool RememberLastRefresh(const LastRefresh& last) {
    RegKey key;
    LSTATUS status = RegCreateKeyExA(HKEY_CURRENT_USER, TARN_LAST_REFRESH_KEY, 0, nullptr,
                                     REG_OPTION_NON_VOLATILE, KEY_QUERY_VALUE | KEY_SET_VALUE,
                                     nullptr, key.receive(), nullptr);
    const std::uint64_t generation = status == ERROR_SUCCESS ? NextGeneration(key.get()) : 0;
    const DWORD records = last.records;
    // A marker too long to be read back is stored as none.
    const char* marker = last.marker.size() < kMarkerBufferSize ? last.marker.c_str() : "";
    // Begun first and Whole last: a record cut off anywhere between is no record.
    if (status == ERROR_SUCCESS)
        status = WriteQword(key.get(), kBegunValue, generation);
    const std::pair<const char*, const char*> texts[] = {
        {kDigestValue, last.digest.c_str()},           {kMarkerValue, marker},
        {kComputerValue, last.owner.computer.c_str()}, {kNotesValue, last.owner.notes.c_str()},
        {kBridgeValue, last.owner.bridge.c_str()},     {kProgramValue, last.owner.program.c_str()},
    };
    for (const auto& text : texts) {
        if (status == ERROR_SUCCESS)
            status = WriteRegistryText(key.get(), text.first, text.second);
    }
    if (status == ERROR_SUCCESS)
        status = RegSetValueExA(key.get(), kRecordsValue, 0, REG_DWORD,
                                reinterpret_cast<const BYTE*>(&records), sizeof records);
    if (status == ERROR_SUCCESS)
        status = WriteQword(key.get(), kTimeValue, last.time);
    if (status == ERROR_SUCCESS)
        status = WriteQword(key.get(), kWholeValue, generation);
    if (status == ERROR_SUCCESS) {
        RegDeleteValueA(key.get(), kSourceValue);
        return true;
    }
    key.reset();
    BeginWholeRefresh();
    Trace(("The whole refresh could not be recorded (" + SystemErrorWords(status) +
           "): the next run with Refresh changed refreshes whole again.")
              .c_str(),
          kTraceRed);
    return false;
}

void BeginWholeRefresh() {
    RemoveRoamingRecord();
    RegKey key;
    LSTATUS status = RegOpenKeyExA(HKEY_CURRENT_USER, TARN_LAST_REFRESH_KEY, 0,
                                   KEY_QUERY_VALUE | KEY_SET_VALUE, key.receive());
    if (status == ERROR_FILE_NOT_FOUND)
        return;
    if (status == ERROR_SUCCESS)
        status = WriteQword(key.get(), kBegunValue, NextGeneration(key.get()));
    if (status == ERROR_SUCCESS)
        return;
    key.reset();
    const LSTATUS removed = RegDeleteKeyA(HKEY_CURRENT_USER, TARN_LAST_REFRESH_KEY);
    if (removed == ERROR_SUCCESS || removed == ERROR_FILE_NOT_FOUND)
        return;
    Trace(("The record of the last whole refresh could not be set aside (" +
           SystemErrorWords(status) +
           "): it is not trusted while it cannot be changed; delete "
           "HKEY_CURRENT_USER\\" TARN_LAST_REFRESH_KEY ".")
              .c_str(),
          kTraceRed);
}

std::uint64_t CurrentTicks() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return static_cast<std::uint64_t>(now.dwHighDateTime) << 32 | now.dwLowDateTime;
}

std::string LocalTimeText(std::uint64_t ticks) {
    FILETIME utc, local;
    utc.dwLowDateTime = static_cast<DWORD>(ticks);
    utc.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    SYSTEMTIME time = {};
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &time))
        return "an unknown time";
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u", time.wYear, time.wMonth, time.wDay,
                  time.wHour, time.wMinute);
    return text;
}
