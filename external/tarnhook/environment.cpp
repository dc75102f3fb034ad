#include "environment.h"

#include <windows.h>

#include <map>

namespace tarnhook {

const char kLogVariable[] = "TARNHOOK_LOG";
const char kScriptVariable[] = "TARNHOOK_SCRIPT";
const char kAddressBookVariable[] = "TARNHOOK_ADDRESSBOOK";
const char kRecordDelayVariable[] = "TARNHOOK_RECORD_DELAY_MS";
const char kRecordCountVariable[] = "TARNHOOK_RECORD_COUNT";

namespace {

std::string ReadEnvironmentValue(const char* name) {
    std::string value(256, '\0');
    for (;;) {
        const DWORD length =
            GetEnvironmentVariableA(name, &value[0], static_cast<DWORD>(value.size()));
        if (length == 0)
            return std::string();
        if (length < value.size()) {
            value.resize(length);
            return value;
        }
        value.resize(length); // too small: length is the size needed, terminator included
    }
}

} // namespace

std::string EnvironmentValue(const char* name) {
    // The programs call the bridge from one thread.
    static std::map<std::string, std::string> read;
    const auto found = read.find(name);
    if (found != read.end())
        return found->second;
    return read.emplace(name, ReadEnvironmentValue(name)).first->second;
}

} // namespace tarnhook
