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
#include "unicode_text.h"
#include "win_handles.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>
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
    kAllowNtlmValue,      kBookSourceValue,        kBookSourceFallbackValue,
    kPublishKeepValue};

bool IsOneOf(const char* name, std::initializer_list<const char*> names) {
    for (const char* each : names) {
        if (std::strcmp(name, each) == 0)
            return true;
    }
    return false;
}

// Texts the directory server gets as they are, and the published book's folder: read in UTF-16
// and kept in UTF-8, so that no character passes through the code page.
bool GoesToTheServer(const char* name) {
    return IsOneOf(name, {kSearchBaseValue, kSearchFilterValue, kLastNameAttributeValue,
                          kFirstNameAttributeValue, kPhoneAttributeValue, kMailAttributeValue,
                          kBookSourceValue});
}

// The settings that decide which server, which entries and which of their values make the
// address book, and the guard against one that shrinks: where a policy holds one that cannot be
// used, no less trusted layer may take its place.
bool DecidesTheBook(const char* name) {
    return IsOneOf(name, {kHostNameValue, kPortNumberValue, kSearchBaseValue, kSearchFilterValue,
                          kLastNameAttributeValue, kFirstNameAttributeValue, kPhoneAttributeValue,
                          kMailAttributeValue, kShrinkLimitValue, kBookSourceValue,
                          kBookSourceFallbackValue});
}

} // namespace

bool CTarnbookApp::TakeSetting(HKEY key, const char* name) {
    std::string value;
    bool read = false;
    if (GoesToTheServer(name)) {
        read = ReadRegistryUtf8(key, name, BufferSizeOf(name), value);
    } else {
        std::vector<char> text(BufferSizeOf(name), '\0');
        read = ReadRegistryText(key, name, text.data(), text.size());
        value = text.data();
    }
    if (!read) {
        // A filter that is set but cannot be read stops the run, unless a more trusted layer
        // gave one before it.
        DWORD size = 0;
        if (std::strcmp(name, kSearchFilterValue) == 0 && !m_bookSettings.filterTaken &&
            RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS)
            m_bookSettings.filterProblem = "the value of the product key is longer than " +
                                           std::to_string(kFilterBufferSize - 1) + " characters";
        return false;
    }
    // An empty value counts as absent in every layer.
    if (value.empty())
        return false;
    return TakeSettingText(name, value);
}

bool CTarnbookApp::TakeSettingText(const char* name, const std::string& value) {
    const std::string setting = name;
    if (setting == kNotesIniPathValue) {
        // An empty value names no file, so the path read before stays.
        if (value.empty())
            return false;
        CopyToBuffer(m_szNotesIniPath, sizeof m_szNotesIniPath, value.c_str());
    } else if (setting == kPortNumberValue) {
        m_nPortNumber = ParsePortNumber(value.c_str());
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
            {kShrinkLimitValue, &m_bookSettings.shrinkLimit},
            {kBookSourceValue, &m_strBookSource},
            {kBookSourceFallbackValue, &m_strBookSourceFallback},
            {kPublishKeepValue, &m_strPublishKeep}};
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
        PolicyReports refused;
        std::string value;
        bool read = false;
        if (GoesToTheServer(name)) {
            read =
                ReadPolicyUtf8(TARN_NOTES_KEY, name, ProductRoots::MachineThenUser, value, refused);
        } else {
            std::vector<char> text(BufferSizeOf(name), '\0');
            read = ReadPolicyText(TARN_NOTES_KEY, name, ProductRoots::MachineThenUser, text.data(),
                                  text.size(), refused);
            value = text.data();
        }
        if (!refused.empty() && DecidesTheBook(name)) {
            // Reported when the download would start, in either mode.
            std::string& problem =
                IsOneOf(name, {kBookSourceValue, kBookSourceFallbackValue, kShrinkLimitValue})
                    ? m_bookSettings.bookPolicyProblem
                    : m_bookSettings.policyProblem;
            if (problem.empty())
                problem = refused.front();
            continue;
        }
        TraceEachRed(refused);
        if (read && TakeSettingText(name, value)) {
            m_managed.insert(name);
            if (std::strcmp(name, kSearchFilterValue) == 0)
                m_bookSettings.filterProblem.clear();
        }
    }
}

int CTarnbookApp::TakeBookSettings(bool directory) {
    m_request = SearchRequest();
    const std::string caption = LoadResourceText(IDS_TARNBOOK_CAPTION);
    // A policy's value that cannot be used never gives way to a less trusted one. The
    // directory's settings decide only a book read from the directory.
    std::string policyProblem = m_bookSettings.bookPolicyProblem;
    if (policyProblem.empty() && directory)
        policyProblem = m_bookSettings.policyProblem;
    if (!policyProblem.empty()) {
        const std::string text = BookPolicyRefusedText(policyProblem);
        if (!m_bSilent)
            Trace(text.c_str(), kTraceRed);
        Report(text, caption);
        return 0;
    }
    if (!directory)
        return 1;
    // A filter that was set but could not be read never widens the book to every entry: only a
    // more trusted layer's filter takes its place.
    if (!m_bookSettings.filterProblem.empty()) {
        Report(SearchFilterUnreadableText(m_bookSettings.filterProblem), caption);
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
        // Absent: the attribute the address book has always taken.
        if (field.value.empty())
            continue;
        if (!IsAttributeDescription(field.value)) {
            Report(AttributeRefusedText(field.name, CodePageFromUtf8(field.value)), caption);
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
    // The dialog shows the search base in the code page; a base it cannot show whole keeps
    // every character unless the user changes it.
    const std::string shownBase = CodePageFromUtf8(m_strSearchBase);
    dialog.m_strSearchBase = shownBase;
    dialog.m_bHostNameManaged = IsManaged(kHostNameValue);
    dialog.m_bSearchBaseManaged = IsManaged(kSearchBaseValue);
    if (dialog.DoModal() != IDOK)
        return false;
    m_strHostName = dialog.m_strHostName;
    if (dialog.m_strSearchBase != shownBase)
        m_strSearchBase = Utf8FromCodePage(dialog.m_strSearchBase);
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
    // A field left empty is saved as no value, so that it never hides a machine-wide one.
    if (host.empty())
        RegDeleteValueA(key.get(), kHostNameValue);
    else
        WriteRegistryText(key.get(), kHostNameValue, host.c_str());
    if (base.empty())
        RegDeleteValueA(key.get(), kSearchBaseValue);
    else
        WriteRegistryUtf8(key.get(), kSearchBaseValue, base);
    WriteRegistryText(key.get(), kPortNumberValue, port);
}
