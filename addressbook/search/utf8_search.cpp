#include "utf8_search.h"

#include "unicode_text.h"

#include <vector>

namespace {

std::wstring Wide(const std::string& utf8) {
    std::wstring wide;
    WideFromUtf8(utf8, wide);
    return wide;
}

} // namespace

ULONG SendSearch(LDAP* session, const std::string& base, ULONG scope, const std::string& filter,
                 PCHAR attributes[], PLDAPControlA* controls, ULONG sizeLimit, ULONG* message) {
    std::wstring wideBase = Wide(base), wideFilter = Wide(filter);
    std::vector<std::wstring> names;
    for (PCHAR* each = attributes; each && *each; ++each)
        names.push_back(Wide(*each));
    std::vector<PWCHAR> wideAttributes;
    for (std::wstring& name : names)
        wideAttributes.push_back(&name[0]);
    wideAttributes.push_back(nullptr);
    // The same controls with their object identifiers in UTF-16; the values are bytes.
    std::vector<std::wstring> oids;
    std::vector<LDAPControlW> wideControls;
    for (PLDAPControlA* each = controls; each && *each; ++each) {
        oids.push_back(Wide((*each)->ldctl_oid ? (*each)->ldctl_oid : ""));
        wideControls.push_back({nullptr, (*each)->ldctl_value, (*each)->ldctl_iscritical});
    }
    std::vector<PLDAPControlW> controlList;
    for (std::size_t i = 0; i < wideControls.size(); ++i) {
        wideControls[i].ldctl_oid = &oids[i][0];
        controlList.push_back(&wideControls[i]);
    }
    controlList.push_back(nullptr);
    return ldap_search_extW(
        session, &wideBase[0], scope, &wideFilter[0], attributes ? wideAttributes.data() : nullptr,
        0, controls ? controlList.data() : nullptr, nullptr, 0, sizeLimit, message);
}

ULONG CheckFilter(LDAP* session, const std::string& filter) {
    std::wstring wide = Wide(filter);
    return ldap_check_filterW(session, &wide[0]);
}
