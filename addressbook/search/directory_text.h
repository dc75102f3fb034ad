// Attribute values of a directory entry as text of the system code page, which is what the
// bridge takes. LDAP sends text as UTF-8.
#ifndef TARN_DIRECTORY_TEXT_H
#define TARN_DIRECTORY_TEXT_H

#include <windows.h>
#include <winldap.h>

#include "entry_records.h"

#include <string>

struct ValueText {
    bool present = false; // the entry has the attribute
    bool exact = true;    // the code page holds the value unchanged
    std::string text;     // the first value; empty when absent
};

// The first value of an attribute. A character the code page lacks becomes its nearest
// letter where the platform knows one (best fit) and "?" otherwise, and the value is then
// not exact. A value ends at its first NUL, as the bridge takes NUL-terminated texts.
ValueText FirstValueText(LDAP* session, LDAPMessage* entry, const char* attribute);

// The entry's distinguished name, for messages.
std::string EntryName(LDAP* session, LDAPMessage* entry);

// The attributes the address book takes from an entry, as the search asks for them.
extern PCHAR kEntryAttributes[];

// The entry as the address book takes it: given name, surname, telephone number and mail
// address, and its name where the mail value is not exact, for the message that names it.
void ReadEntryRecord(LDAP* session, LDAPMessage* entry, EntryRecord& record);

#endif
