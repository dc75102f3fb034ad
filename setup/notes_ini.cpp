// Registration of the product's extension libraries in notes.ini.
#include "tarnsetup_app.h"

#include "notes_ini_list.h"
#include "profile_text.h"
#include "resource_ids.h"
#include "setup_messages.h"
#include "text_format.h"

void CTarnsetupApp::UpdateNotesIni(const char* iniPath, int mode) {
    const std::string hooks = ReadProfileText(kNotesSection, kHooksKey, iniPath);
    const std::string addins = ReadProfileText(kNotesSection, kAddinsKey, iniPath);
    const ExtensionRegistration registration = RegistrationForMode(mode);

    // Both values are written on every call, changed or not, so that a missing key is
    // created with an empty value. A write that fails is reported once, naming the file and
    // the values it kept.
    const std::string newHooks = EditListEntry(hooks, kHooksEntry, registration.hooks);
    const std::string newAddins = EditListEntry(addins, kAddinsEntry, registration.addins);
    const bool hooksWritten =
        WritePrivateProfileStringA(kNotesSection, kHooksKey, newHooks.c_str(), iniPath) != 0;
    const bool addinsWritten =
        WritePrivateProfileStringA(kNotesSection, kAddinsKey, newAddins.c_str(), iniPath) != 0;
    if (hooksWritten && addinsWritten)
        return;

    std::string unchanged;
    if (!hooksWritten)
        unchanged = kHooksKey;
    if (!addinsWritten)
        unchanged += std::string(unchanged.empty() ? "" : " and ") + kAddinsKey;
    ShowSetupError(
        FormatWithArgument("The Notes configuration file %s could not be written. ", iniPath) +
            unchanged + (hooksWritten || addinsWritten ? " was" : " were") + " not updated.",
        IDS_SETUP_CAPTION);
}
