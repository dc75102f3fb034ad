// Attribute values of a directory entry as the download keeps them: UTF-8, which holds every
// character that LDAP sends, and whether the system code page could carry the mail value
// unchanged to a bridge that takes only the code page.
#ifndef TARN_DIRECTORY_TEXT_H
#define TARN_DIRECTORY_TEXT_H

#include <windows.h>
#include <winldap.h>

#include "entry_records.h"
#include "search_request.h"

#include <string>
#include <vector>

struct ValueText {
    bool present = false; // the entry has the attribute
    bool exact = true;    // the code page holds the value unchanged
    std::string text;     // the first value in UTF-8; empty when absent
};

// The first value of an attribute. A value ends at its first NUL, as the bridge takes
// NUL-terminated texts. Whether the code page holds it is judged only where judge is set.
ValueText FirstValueText(LDAP* session, LDAPMessage* entry, const wchar_t* attribute,
                         bool judge = false);

// The entry's distinguished name in UTF-8: for messages, and for the published book.
std::string EntryName(LDAP* session, LDAPMessage* entry);

// The attributes a search for request asks for, in the order given, first name, last name,
// phone number and mail address, and by which each entry's record is read.
class EntryAttributes {
  public:
    explicit EntryAttributes(const SearchRequest& request);
    EntryAttributes(const EntryAttributes&) = delete;
    EntryAttributes& operator=(const EntryAttributes&) = delete;
    // Null-terminated, as the library's search takes them.
    PCHAR* Names() { return pointers_.data(); }

    enum Field { FirstName, LastName, Phone, Mail, kFields };
    const wchar_t* Wide(Field field) const { return wide_[field].c_str(); }
    bool KeepsNames() const { return keepNames_; }

  private:
    std::string names_[kFields];
    std::wstring wide_[kFields];
    std::vector<PCHAR> pointers_;
    bool keepNames_ = false;
};

// The entry as the address book takes it: given name, surname, telephone number and mail
// address, and its name where the code page cannot hold the mail value, for the message that
// names it.
void ReadEntryRecord(LDAP* session, LDAPMessage* entry, const EntryAttributes& attributes,
                     EntryRecord& record);

#endif
