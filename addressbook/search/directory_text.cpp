#include "directory_text.h"

#include "connection/ldap_handles.h"

#include <climits>
#include <cstring>
#include <cwchar>

namespace {

bool IsAscii(const wchar_t* text, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (text[i] >= 0x80)
            return false;
    }
    return true;
}

// UTF-16 to the system code page, whole characters only; exact tells whether a character had
// to be replaced.
std::string ToCodePage(const wchar_t* unicode, size_t length, bool& exact) {
    exact = true;
    if (IsAscii(unicode, length))
        return std::string(unicode, unicode + length);
    if (length > INT_MAX / 4) {
        exact = false;
        return std::string();
    }
    const int wide = static_cast<int>(length);
    const UINT codePage = GetACP();
    // Unchanged if the code page holds every character as it is (UTF-8 holds all but unpaired
    // surrogates) ...
    BOOL replaced = FALSE;
    int size = codePage == CP_UTF8 ? WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, unicode,
                                                         wide, nullptr, 0, nullptr, nullptr)
                                   : WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, unicode,
                                                         wide, nullptr, 0, nullptr, &replaced);
    exact = size > 0 && !replaced;
    // ... else with the nearest letters the platform knows and "?" for the rest.
    const DWORD flags = exact && codePage != CP_UTF8 ? WC_NO_BEST_FIT_CHARS : 0;
    size = WideCharToMultiByte(CP_ACP, flags, unicode, wide, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        exact = false;
        return std::string(length, '?');
    }
    std::string text(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, flags, unicode, wide, &text[0], size, nullptr, nullptr);
    return text;
}

} // namespace

ValueText FirstValueText(LDAP* session, LDAPMessage* entry, const char* attribute) {
    ValueText value;
    // The values as UTF-16, which holds every character that LDAP's UTF-8 can send.
    std::wstring name(attribute, attribute + std::strlen(attribute));
    const LdapWideValues values(ldap_get_valuesW(session, entry, &name[0]));
    if (!values.get() || !values.get()[0])
        return value;
    const wchar_t* first = values.get()[0];
    value.present = true;
    value.text = ToCodePage(first, std::wcslen(first), value.exact);
    return value;
}

std::string EntryName(LDAP* session, LDAPMessage* entry) {
    const LdapText name(ldap_get_dnA(session, entry));
    return name.get() ? name.get() : std::string();
}

PCHAR kEntryAttributes[] = {const_cast<PCHAR>("givenname"), const_cast<PCHAR>("sn"),
                            const_cast<PCHAR>("telephoneNumber"), const_cast<PCHAR>("mail"),
                            nullptr};

void ReadEntryRecord(LDAP* session, LDAPMessage* entry, EntryRecord& record) {
    record.firstName = FirstValueText(session, entry, kEntryAttributes[0]).text;
    record.lastName = FirstValueText(session, entry, kEntryAttributes[1]).text;
    record.phone = FirstValueText(session, entry, kEntryAttributes[2]).text;
    const ValueText mail = FirstValueText(session, entry, kEntryAttributes[3]);
    record.hasMail = mail.present;
    record.exact = mail.exact;
    record.mail = mail.present ? mail.text : std::string();
    record.name = mail.present && !mail.exact ? EntryName(session, entry) : std::string();
}
