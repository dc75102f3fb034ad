#include "last_refresh.h"

#include "product_keys.h"
#include "registry_text.h"
#include "system_error.h"
#include "trace.h"
#include "win_handles.h"

#include <windows.h>

#include <cstdio>

namespace {

#define TARN_LAST_REFRESH_KEY TARN_NOTES_KEY "\\Last Refresh"

constexpr char kDigestValue[] = "Digest";
constexpr char kRecordsValue[] = "Records";
constexpr char kTimeValue[] = "Time";
constexpr char kMarkerValue[] = "Marker";

} // namespace

bool ReadLastRefresh(LastRefresh& last) {
    RegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, TARN_LAST_REFRESH_KEY, 0, KEY_QUERY_VALUE,
                      key.receive()) != ERROR_SUCCESS)
        return false;
    char digest[72] = "";
    DWORD records = 0, recordsSize = sizeof records, type = 0;
    std::uint64_t time = 0;
    DWORD timeSize = sizeof time;
    if (!ReadRegistryText(key.get(), kDigestValue, digest, sizeof digest) ||
        RegQueryValueExA(key.get(), kRecordsValue, nullptr, &type,
                         reinterpret_cast<BYTE*>(&records), &recordsSize) != ERROR_SUCCESS ||
        type != REG_DWORD ||
        RegQueryValueExA(key.get(), kTimeValue, nullptr, &type, reinterpret_cast<BYTE*>(&time),
                         &timeSize) != ERROR_SUCCESS ||
        type != REG_QWORD)
        return false;
    last.digest = digest;
    last.records = records;
    last.time = time;
    // The server's change marker; none where the value is missing or too long.
    char marker[16384] = "";
    if (!ReadRegistryText(key.get(), kMarkerValue, marker, sizeof marker))
        marker[0] = '\0';
    last.marker = marker;
    return true;
}

bool RememberLastRefresh(const LastRefresh& last) {
    RegKey key;
    LSTATUS status =
        RegCreateKeyExA(HKEY_CURRENT_USER, TARN_LAST_REFRESH_KEY, 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, key.receive(), nullptr);
    const DWORD records = last.records;
    if (status == ERROR_SUCCESS)
        status = WriteRegistryText(key.get(), kDigestValue, last.digest.c_str());
    if (status == ERROR_SUCCESS)
        status = RegSetValueExA(key.get(), kRecordsValue, 0, REG_DWORD,
                                reinterpret_cast<const BYTE*>(&records), sizeof records);
    if (status == ERROR_SUCCESS)
        status = RegSetValueExA(key.get(), kTimeValue, 0, REG_QWORD,
                                reinterpret_cast<const BYTE*>(&last.time), sizeof last.time);
    if (status == ERROR_SUCCESS)
        status = WriteRegistryText(key.get(), kMarkerValue, last.marker.c_str());
    if (status == ERROR_SUCCESS)
        return true;
    key.reset();
    ForgetLastRefresh();
    Trace(("The whole refresh could not be recorded (" + SystemErrorWords(status) +
           "): the next run with Refresh changed refreshes whole again.")
              .c_str(),
          kTraceRed);
    return false;
}

void ForgetLastRefresh() {
    const LSTATUS status = RegDeleteKeyA(HKEY_CURRENT_USER, TARN_LAST_REFRESH_KEY);
    if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND)
        return;
    RegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, TARN_LAST_REFRESH_KEY, 0, KEY_SET_VALUE, key.receive()) ==
            ERROR_SUCCESS &&
        WriteRegistryText(key.get(), kDigestValue, "") == ERROR_SUCCESS)
        return;
    Trace(("The record of the last whole refresh could not be removed (" +
           SystemErrorWords(status) +
           "): delete HKEY_CURRENT_USER\\" TARN_LAST_REFRESH_KEY
           " before the next run with Refresh changed.")
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
