#include "directory_text.h"

#include "ldap_handles.h"

#include <climits>

namespace {

bool IsAscii(const char* bytes, ULONG length) {
    for (ULONG i = 0; i < length; ++i) {
        if (static_cast<unsigned char>(bytes[i]) >= 0x80)
            return false;
    }
    return true;
}

// UTF-8 to the system code page, whole characters only; exact tells whether a character had
// to be replaced. Bytes that are not UTF-8 are returned as they are.
std::string ToCodePage(const char* bytes, ULONG length, bool& exact) {
    exact = true;
    const std::string raw(bytes, length);
    if (IsAscii(bytes, length) || length > INT_MAX / 4 || GetACP() == CP_UTF8)
        return raw;
    const int wide = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes,
                                         static_cast<int>(length), nullptr, 0);
    if (wide <= 0)
        return raw;
    std::wstring unicode(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(length), &unicode[0],
                        wide);

    // Unchanged if the code page holds every character as it is ...
    BOOL replaced = FALSE;
    int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, unicode.data(), wide, nullptr, 0,
                                   nullptr, &replaced);
    exact = size > 0 && !replaced;
    // ... else with the nearest letters the platform knows and "?" for the rest.
    const DWORD flags = exact ? WC_NO_BEST_FIT_CHARS : 0;
    size = WideCharToMultiByte(CP_ACP, flags, unicode.data(), wide, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        exact = false;
        return std::string(static_cast<size_t>(wide), '?');
    }
    std::string text(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, flags, unicode.data(), wide, &text[0], size, nullptr, nullptr);
    return text;
}

} // namespace

ValueText FirstValueText(LDAP* session, LDAPMessage* entry, const char* attribute) {
    ValueText value;
    const LdapBervals values(ldap_get_values_lenA(session, entry, const_cast<PCHAR>(attribute)));
    if (!values.get() || !values.get()[0])
        return value;
    const berval* first = values.get()[0];
    value.present = true;
    if (first->bv_val && first->bv_len > 0)
        value.text = ToCodePage(first->bv_val, first->bv_len, value.exact);
    // The bridge takes NUL-terminated texts: a value ends at its first NUL, as it always did.
    value.text.resize(strnlen(value.text.c_str(), value.text.size()));
    return value;
}

std::string EntryName(LDAP* session, LDAPMessage* entry) {
    const LdapText name(ldap_get_dnA(session, entry));
    return name.get() ? name.get() : std::string();
}
