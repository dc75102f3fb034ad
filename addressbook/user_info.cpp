// The directory connection settings: read from both registry roots, confirmed in the
// settings dialog, saved per user.
#include "tarnbook_app.h"

#include "download_notices.h"
#include "policy_values.h"
#include "product_keys.h"
#include "registry_text.h"
#include "resource_ids.h"
#include "resource_text.h"
#include "settings/port_number.h"
#include "settings/user_info_dlg.h"
#include "trace.h"
#include "win_handles.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The settings of the Notes key, in the order they are read.
const char* const kSettingNames[] = {
    kHostNameValue,       kNotesIniPathValue,      kPortNumberValue,
    kSearchBaseValue,     kBindMethodValue,        kBindUserValue,
    kBindDomainValue,     kSecurityValue,          kRefreshValue,
    kRefreshDaysValue,    kRefreshDelayValue,      kAllowClearTextBindValue,
    kSearchFilterValue,   kLastNameAttributeValue, kFirstNameAttributeValue,
    kPhoneAttributeValue, kMailAttributeValue,     kShrinkLimitValue,
    kAllowNtlmValue};

// A sentence set inside another: its full stop left out.
std::string WithoutFinalStop(const std::string& sentence) {
    return !sentence.empty() && sentence.back() == '.' ? sentence.substr(0, sentence.size() - 1)
                                                       : sentence;
}

} // namespace

bool CTarnbookApp::TakeSetting(HKEY key, const char* name) {
    std::vector<char> value(BufferSizeOf(name), '\0');
    if (ReadRegistryText(key, name, value.data(), value.size()))
        return TakeSettingText(name, value.data());
    DWORD size = 0;
    if (std::strcmp(name, kSearchFilterValue) == 0 &&
        RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS)
        m_bookSettings.filterProblem = "the value of the product key is longer than " +
                                       std::to_string(kFilterBufferSize - 1) + " characters";
    return false;
}

bool CTarnbookApp::TakeSettingText(const char* name, const char* value) {
    const std::string setting = name;
    if (setting == kNotesIniPathValue) {
        // An empty value names no file, so the path read before stays.
        if (value[0] == '\0')
            return false;
        CopyToBuffer(m_szNotesIniPath, sizeof m_szNotesIniPath, value);
    } else if (setting == kPortNumberValue) {
        m_nPortNumber = ParsePortNumber(value);
    } else {
        const std::pair<const char*, std::string*> texts[] = {
            {kHostNameValue, &m_strHostName},
            {kSearchBaseValue, &m_strSearchBase},
            {kBindMethodValue, &m_access.method},
            {kBindUserValue, &m_access.user},
            {kBindDomainValue, &m_access.domain},
            {kSecurityValue, &m_access.security},
            {kRefreshValue, &m_strRefresh},
            {kRefreshDaysValue, &m_strRefreshDays},
            {kRefreshDelayValue, &m_strRefreshDelay},
            {kAllowClearTextBindValue, &m_access.allowClearText},
            {kAllowNtlmValue, &m_access.allowNtlm},
            {kSearchFilterValue, &m_bookSettings.filter},
            {kLastNameAttributeValue, &m_bookSettings.lastName},
            {kFirstNameAttributeValue, &m_bookSettings.firstName},
            {kPhoneAttributeValue, &m_bookSettings.phone},
            {kMailAttributeValue, &m_bookSettings.mail},
            {kShrinkLimitValue, &m_bookSettings.shrinkLimit}};
        for (const auto& text : texts) {
            if (setting == text.first)
                *text.second = value;
        }
        if (setting == kSearchFilterValue)
            m_bookSettings.filterTaken = true;
    }
    return true;
}

void CTarnbookApp::GetUserInfo(HKEY root) {
    RegKey key;
    if (RegOpenKeyExA(root, TARN_NOTES_KEY, 0, KEY_QUERY_VALUE, key.receive()) != ERROR_SUCCESS) {
        Trace("GetUserInfo::RegCreateKey failed", kTraceRed);
        return;
    }
    // The per-user value wins where both roots hold one.
    for (const char* name : kSettingNames)
        TakeSetting(key.get(), name);
    ReadStoredPassword(key.get(), SettingsKeyName(root), m_access.password);
}

void CTarnbookApp::GetPolicyInfo() {
    m_ownSettings = {m_strHostName, m_strSearchBase, m_nPortNumber};
    // The password is encrypted for one computer or one user: no policy can hand it out.
    // Read by their registry type: a number (PortNumber, RefreshDays) comes as its digits.
    for (const char* name : kSettingNames) {
        std::vector<char> value(BufferSizeOf(name), '\0');
        PolicyReports refused;
        const bool read = ReadPolicyText(TARN_NOTES_KEY, name, ProductRoots::MachineThenUser,
                                         value.data(), value.size(), refused);
        TraceEachRed(refused);
        if (read && TakeSettingText(name, value.data()))
            m_managed.insert(name);
        else if (!refused.empty() && std::strcmp(name, kSearchFilterValue) == 0)
            m_bookSettings.filterProblem = WithoutFinalStop(refused.back());
    }
}

int CTarnbookApp::TakeBookSettings() {
    m_request = SearchRequest();
    // A filter that was set but could not be read never widens the book to every entry: where
    // no layer gave one that could be, the run stops.
    if (!m_bookSettings.filterTaken && !m_bookSettings.filterProblem.empty()) {
        Report(SearchFilterUnreadableText(m_bookSettings.filterProblem),
               LoadResourceText(IDS_TARNBOOK_CAPTION));
        return 0;
    }
    m_request.filter = FilterOf(m_bookSettings.filter);
    const struct {
        const char* name;
        const std::string& value;
        std::string& attribute;
    } fields[] = {{kLastNameAttributeValue, m_bookSettings.lastName, m_request.lastName},
                  {kFirstNameAttributeValue, m_bookSettings.firstName, m_request.firstName},
                  {kPhoneAttributeValue, m_bookSettings.phone, m_request.phone},
                  {kMailAttributeValue, m_bookSettings.mail, m_request.mail}};
    for (const auto& field : fields) {
        // Absent or empty: the attribute the address book has always taken.
        if (field.value.empty())
            continue;
        if (!IsAttributeDescription(field.value)) {
            Report(AttributeRefusedText(field.name, field.value),
                   LoadResourceText(IDS_TARNBOOK_CAPTION));
            return 0;
        }
        field.attribute = field.value;
    }
    return 1;
}

bool CTarnbookApp::IsManaged(const char* name) const {
    return m_managed.count(name) != 0;
}

bool CTarnbookApp::EditUserInfo() {
    CUserInfoDlg dialog;
    dialog.m_strHostName = m_strHostName;
    dialog.m_strSearchBase = m_strSearchBase;
    dialog.m_bHostNameManaged = IsManaged(kHostNameValue);
    dialog.m_bSearchBaseManaged = IsManaged(kSearchBaseValue);
    if (dialog.DoModal() != IDOK)
        return false;
    m_strHostName = dialog.m_strHostName;
    m_strSearchBase = dialog.m_strSearchBase;
    SaveUserInfo();
    return true;
}

void CTarnbookApp::SaveUserInfo() {
    // A value that a policy sets is the administrator's, not the user's: the user's key keeps
    // what the product keys gave, so that it counts again once the policy is withdrawn.
    const bool ownHost = IsManaged(kHostNameValue), ownBase = IsManaged(kSearchBaseValue);
    const std::string& host = ownHost ? m_ownSettings.hostName : m_strHostName;
    const std::string& base = ownBase ? m_ownSettings.searchBase : m_strSearchBase;
    char port[16];
    std::snprintf(port, sizeof port, "%d",
                  IsManaged(kPortNumberValue) ? m_ownSettings.portNumber : m_nPortNumber);
    RegKey key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, TARN_NOTES_KEY, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, key.receive(),
                        nullptr) != ERROR_SUCCESS) {
        Trace("SaveUserInfo::RegCreateKey failed", kTraceRed);
        return;
    }
    WriteRegistryText(key.get(), kHostNameValue, host.c_str());
    WriteRegistryText(key.get(), kSearchBaseValue, base.c_str());
    WriteRegistryText(key.get(), kPortNumberValue, port);
}
