// Registration of the product's extension libraries in notes.ini, under the file's lock.
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

void CTarnsetupApp::ChangeComponents(const char* iniPath, const std::function<int()>& bridgeCall) {
    std::string report;
    {
        // This run's bridge call and edit begin once another run's have ended. A run that
        // waited in vain calls nothing and changes nothing.
        NotesIniLock lock;
        if (lock.Acquire(iniPath, kNotesIniLockWaitMs) == NotesIniLock::Outcome::Busy) {
            report = FormatWithArgument("The Notes configuration file %s could not be written: ",
                                        iniPath) +
                     "another TARNSETUP run kept it for " +
                     std::to_string(kNotesIniLockWaitMs / 1000) + " seconds. " + kHooksKey +
                     " and " + kAddinsKey + " were not updated.";
        } else {
            report = UpdateNotesIni(iniPath, bridgeCall());
        }
    }
    // The next run need not wait while this one's message is on screen.
    if (!report.empty()) {
        ShowSetupError(report, IDS_SETUP_CAPTION);
        m_nExitStatus = kSetupNotesIniNotWritten;
    }
}

std::string CTarnsetupApp::UpdateNotesIni(const char* iniPath, int mode) {
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
    return report;
}
