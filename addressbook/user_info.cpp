// The directory connection settings: read from both registry roots, confirmed in the
// settings dialog, saved per user.
#include "tarnbook_app.h"

#include "settings/port_number.h"
#include "product_keys.h"
#include "registry_text.h"
#include "trace.h"
#include "settings/user_info_dlg.h"
#include "win_handles.h"

#include <cstdio>

void CTarnbookApp::GetUserInfo(HKEY root) {
    RegKey key;
    if (RegOpenKeyExA(root, TARN_NOTES_KEY, 0, KEY_QUERY_VALUE, key.receive()) != ERROR_SUCCESS) {
        Trace("GetUserInfo::RegCreateKey failed", kTraceRed);
        return;
    }
    char value[kPathBufferSize];
    if (ReadRegistryText(key.get(), kHostNameValue, value, sizeof value))
        m_strHostName = value;
    // An empty value names no file, so the path read before stays.
    if (ReadRegistryText(key.get(), kNotesIniPathValue, value, sizeof value) && value[0] != '\0')
        CopyToBuffer(m_szNotesIniPath, sizeof m_szNotesIniPath, value);
    if (ReadRegistryText(key.get(), kPortNumberValue, value, sizeof value))
        m_nPortNumber = ParsePortNumber(value);
    if (ReadRegistryText(key.get(), kSearchBaseValue, value, sizeof value))
        m_strSearchBase = value;
    // How to sign in, read like the others: the per-user value wins where both are stored.
    const struct {
        const char* name;
        std::string& field;
    } access[] = {{kBindMethodValue, m_access.method},
                  {kBindUserValue, m_access.user},
                  {kBindDomainValue, m_access.domain},
                  {kSecurityValue, m_access.security}};
    for (const auto& setting : access) {
        if (ReadRegistryText(key.get(), setting.name, value, sizeof value))
            setting.field = value;
    }
    ReadStoredPassword(key.get(), SettingsKeyName(root), m_access.password);
}

bool CTarnbookApp::EditUserInfo() {
    CUserInfoDlg dialog;
    dialog.m_strHostName = m_strHostName;
    dialog.m_strSearchBase = m_strSearchBase;
    if (dialog.DoModal() != IDOK)
        return false;
    m_strHostName = dialog.m_strHostName;
    m_strSearchBase = dialog.m_strSearchBase;
    SaveUserInfo();
    return true;
}

void CTarnbookApp::SaveUserInfo() {
    char port[16];
    std::snprintf(port, sizeof port, "%d", m_nPortNumber);
    RegKey key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, TARN_NOTES_KEY, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, key.receive(),
                        nullptr) != ERROR_SUCCESS) {
        Trace("SaveUserInfo::RegCreateKey failed", kTraceRed);
        return;
    }
    WriteRegistryText(key.get(), kHostNameValue, m_strHostName.c_str());
    WriteRegistryText(key.get(), kSearchBaseValue, m_strSearchBase.c_str());
    WriteRegistryText(key.get(), kPortNumberValue, port);
}
