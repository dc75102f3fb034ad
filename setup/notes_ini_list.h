// The two extension lists of notes.ini: which entry each holds for the product, which of
// them an install result registers, and how an entry is added to or taken out of a list.
#ifndef TARN_NOTES_INI_LIST_H
#define TARN_NOTES_INI_LIST_H

#include <string>

// Section and keys of notes.ini, and the entry this program manages in each list.
constexpr char kNotesSection[] = "Notes";
constexpr char kDirectoryKey[] = "Directory"; // the Notes data folder
constexpr char kHooksKey[] = "NSF_HOOKS";
constexpr char kHooksEntry[] = "tarnhook";
constexpr char kAddinsKey[] = "EXTMGR_ADDINS";
constexpr char kAddinsEntry[] = "tarnpwd";

// Which of the two entries a mode registers; an entry not registered is removed.
struct ExtensionRegistration {
    bool hooks;  // "tarnhook" in NSF_HOOKS
    bool addins; // "tarnpwd" in EXTMGR_ADDINS
};

// A negative mode removes both entries; 2, 4, 45 and 46 register both; every other mode
// registers the hook library and removes the add-in.
ExtensionRegistration RegistrationForMode(int mode);

// A list is a comma-separated value; an entry is one item of it with the blanks around it
// ignored. Names are compared whole and case-sensitively: "nottarnhook" and "TARNHOOK" are
// not "tarnhook".

// The list with name appended (after a single comma) unless it already holds that entry.
std::string AddListEntry(const std::string& list, const std::string& name);

// The list without the first entry equal to name and one separator with its blanks: the
// comma after a first entry, else the comma before the entry. Every other byte stays.
std::string RemoveListEntry(const std::string& list, const std::string& name);

// AddListEntry when add is true, else RemoveListEntry.
std::string EditListEntry(const std::string& list, const std::string& name, bool add);

#endif
