// Registration of the product's extension libraries in notes.ini.
#include "tarnsetup_app.h"

#include "notes_ini_list.h"
#include "notes_ini_lock.h"
#include "profile_text.h"
#include "resource_ids.h"
#include "setup_messages.h"
#include "text_format.h"

namespace {

enum class ValueWrite { Written, Failed, TooLong };

// Writes value as key of section Notes. A value too long for the profile functions is never
// handed to them: when it is the value the file holds already, there is nothing to write.
ValueWrite WriteListValue(const char* key, const std::string& before, const std::string& after,
                          const char* iniPath) {
    if (after.size() > kLongestProfileValue)
        return after == before ? ValueWrite::Written : ValueWrite::TooLong;
    return WritePrivateProfileStringA(kNotesSection, key, after.c_str(), iniPath)
               ? ValueWrite::Written
               : ValueWrite::Failed;
}

// "NSF_HOOKS", "EXTMGR_ADDINS" or both, for the keys whose write ended as outcome.
std::string KeysWith(ValueWrite outcome, ValueWrite hooks, ValueWrite addins) {
    std::string keys;
    if (hooks == outcome)
        keys = kHooksKey;
    if (addins == outcome)
        keys += std::string(keys.empty() ? "" : " and ") + kAddinsKey;
    return keys;
}

} // namespace

void CTarnsetupApp::UpdateNotesIni(const char* iniPath, int mode) {
    // Another run's read-change-write of the file ends before this one begins.
    NotesIniLock lock;
    if (lock.Acquire(iniPath, kNotesIniLockWaitMs) == NotesIniLock::Outcome::Busy) {
        ShowSetupError(
            FormatWithArgument("The Notes configuration file %s could not be written: ", iniPath) +
                "another TARNSETUP run kept it for " + std::to_string(kNotesIniLockWaitMs / 1000) +
                " seconds. " + kHooksKey + " and " + kAddinsKey + " were not updated.",
            IDS_SETUP_CAPTION);
        m_nExitStatus = kSetupNotesIniNotWritten;
        return;
    }
    const std::string hooks = ReadProfileText(kNotesSection, kHooksKey, iniPath);
    const std::string addins = ReadProfileText(kNotesSection, kAddinsKey, iniPath);
    const ExtensionRegistration registration = RegistrationForMode(mode);

    // Both values are written on every call, changed or not, so that a missing key is
    // created with an empty value. A write that fails is reported once, naming the file and
    // the values it kept.
    const ValueWrite hooksWrite = WriteListValue(
        kHooksKey, hooks, EditListEntry(hooks, kHooksEntry, registration.hooks), iniPath);
    const ValueWrite addinsWrite = WriteListValue(
        kAddinsKey, addins, EditListEntry(addins, kAddinsEntry, registration.addins), iniPath);

    // One report names the file and every value it kept; plural when both were kept alike.
    const bool both = hooksWrite == addinsWrite;
    std::string report;
    const std::string failed = KeysWith(ValueWrite::Failed, hooksWrite, addinsWrite);
    if (!failed.empty()) {
        report =
            FormatWithArgument("The Notes configuration file %s could not be written. ", iniPath) +
            failed + (both ? " were" : " was") + " not updated.";
    }
    const std::string tooLong = KeysWith(ValueWrite::TooLong, hooksWrite, addinsWrite);
    if (!tooLong.empty()) {
        report += (report.empty() ? "" : " ") + tooLong +
                  FormatWithArgument(" would be longer than the 32,766 characters a value of the "
                                     "Notes configuration file %s can hold",
                                     iniPath) +
                  (both ? "; they were" : "; it was") + " not updated.";
    }
    if (!report.empty()) {
        ShowSetupError(report, IDS_SETUP_CAPTION);
        m_nExitStatus = kSetupNotesIniNotWritten;
    }
}
