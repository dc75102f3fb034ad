#include "directory_text.h"

#include "connection/ldap_handles.h"
#include "unicode_text.h"

#include <cwchar>

ValueText FirstValueText(LDAP* session, LDAPMessage* entry, const wchar_t* attribute, bool judge) {
    ValueText value;
    // The values as UTF-16, which holds every character that LDAP's UTF-8 can send.
    const LdapWideValues values(ldap_get_valuesW(session, entry, const_cast<PWCHAR>(attribute)));
    if (!values.get() || !values.get()[0])
        return value;
    const wchar_t* first = values.get()[0];
    const size_t length = std::wcslen(first);
    value.present = true;
    value.text = Utf8FromWide(first, length);
    if (judge && !IsAscii(value.text))
        CodePageFromWide(first, length, value.exact);
    return value;
}

std::string EntryName(LDAP* session, LDAPMessage* entry) {
    // As UTF-16, like the values: through the code page two names could become one.
    const LdapWideText name(ldap_get_dnW(session, entry));
    return name.get() ? Utf8FromWide(name.get(), std::wcslen(name.get())) : std::string();
}

EntryAttributes::EntryAttributes(const SearchRequest& request)
    : names_{request.firstName, request.lastName, request.phone, request.mail},
      keepNames_(request.keepNames) {
    for (int field = 0; field < kFields; ++field) {
        wide_[field].assign(names_[field].begin(), names_[field].end());
        pointers_.push_back(&names_[field][0]);
    }
    pointers_.push_back(nullptr);
}

void ReadEntryRecord(LDAP* session, LDAPMessage* entry, const EntryAttributes& attributes,
                     EntryRecord& record) {
    record.firstName =
        FirstValueText(session, entry, attributes.Wide(EntryAttributes::FirstName)).text;
    record.lastName =
        FirstValueText(session, entry, attributes.Wide(EntryAttributes::LastName)).text;
    record.phone = FirstValueText(session, entry, attributes.Wide(EntryAttributes::Phone)).text;
    const ValueText mail =
        FirstValueText(session, entry, attributes.Wide(EntryAttributes::Mail), true);
    record.hasMail = mail.present;
    record.exact = mail.exact;
    record.mail = mail.present ? mail.text : std::string();
    record.name = attributes.KeepsNames() || (mail.present && !mail.exact)
                      ? EntryName(session, entry)
                      : std::string();
}
