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
    // created with an empty value. The write of the second is not tried once the first
    // has failed: the file cannot be written.
    const std::string newHooks = EditListEntry(hooks, kHooksEntry, registration.hooks);
    const std::string newAddins = EditListEntry(addins, kAddinsEntry, registration.addins);
    if (WritePrivateProfileStringA(kNotesSection, kHooksKey, newHooks.c_str(), iniPath) &&
        WritePrivateProfileStringA(kNotesSection, kAddinsKey, newAddins.c_str(), iniPath))
        return;

    ShowSetupError(FormatWithArgument("The Notes configuration file %s could not be written. "
                                      "Its extension lists were not updated.",
                                      iniPath),
                   IDS_SETUP_CAPTION);
}
