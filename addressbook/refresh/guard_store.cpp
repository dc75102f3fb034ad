#include "guard_store.h"

#include "product_keys.h"
#include "registry_text.h"
#include "system_error.h"
#include "trace.h"
#include "win_handles.h"

#include <windows.h>

#define TARN_GUARD_KEY TARN_LOCAL_NOTES_KEY "\\Shrink Guard"
constexpr char kCountValue[] = "Count";
// The count's text: five fields, two of them digests, and the terminator.
constexpr std::size_t kCountBufferSize = 256;

bool ReadGuardCount(GuardCount& count) {
    RegKey key;
    char text[kCountBufferSize] = "";
    if (RegOpenKeyExA(HKEY_CURRENT_USER, TARN_GUARD_KEY, 0, KEY_QUERY_VALUE, key.receive()) !=
            ERROR_SUCCESS ||
        !ReadRegistryText(key.get(), kCountValue, text, sizeof text))
        return false;
    return ParseGuardCount(text, count);
}

bool RememberGuardCount(const GuardCount& count) {
    RegKey key;
    LSTATUS status =
        RegCreateKeyExA(HKEY_CURRENT_USER, TARN_GUARD_KEY, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, key.receive(), nullptr);
    if (status == ERROR_SUCCESS)
        status = WriteRegistryText(key.get(), kCountValue, GuardCountText(count).c_str());
    if (status == ERROR_SUCCESS)
        return true;
    Trace(("The count of records that ShrinkLimit compares with could not be kept (" +
           SystemErrorWords(status) + "): the next run compares with the count kept before.")
              .c_str(),
          kTraceRed);
    return false;
}
