#include "directory_text.h"

#include "ldap_handles.h"

#include <climits>
#include <cstring>

namespace {

bool IsAscii(const char* text, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return false;
    }
    return true;
}

// UTF-16 to the system code page, whole characters only; exact tells whether a character had
// to be replaced.
std::string ToCodePage(const wchar_t* unicode, size_t length, bool& exact) {
    exact = true;
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
    // The values as the directory sent them, in UTF-8: the library converts nothing, and
    // an ASCII value, which most are, is already text of every code page.
    const LdapRawValues values(ldap_get_values_lenA(session, entry, const_cast<PCHAR>(attribute)));
    if (!values.get() || !values.get()[0])
        return value;
    const berval* first = values.get()[0];
    value.present = true;
    const char* utf8 = first->bv_val ? first->bv_val : "";
    const size_t size = first->bv_val ? first->bv_len : 0;
    const void* nul = std::memchr(utf8, '\0', size);
    const size_t length = nul ? static_cast<size_t>(static_cast<const char*>(nul) - utf8) : size;
    if (IsAscii(utf8, length)) {
        value.text.assign(utf8, length);
        return value;
    }
    // Else through UTF-16, which holds every character that UTF-8 can send; a byte that is
    // not UTF-8 becomes U+FFFD, which no code page but UTF-8 holds.
    if (length > INT_MAX) {
        value.exact = false;
        return value;
    }
    const int bytes = static_cast<int>(length);
    const int wide = MultiByteToWideChar(CP_UTF8, 0, utf8, bytes, nullptr, 0);
    if (wide <= 0) {
        value.exact = false;
        value.text.assign(length, '?');
        return value;
    }
    std::wstring unicode(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, bytes, &unicode[0], wide);
    value.text = ToCodePage(unicode.data(), unicode.size(), value.exact);
    return value;
}

std::string EntryName(LDAP* session, LDAPMessage* entry) {
    const LdapText name(ldap_get_dnA(session, entry));
    return name.get() ? name.get() : std::string();
}
