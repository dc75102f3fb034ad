// The directory download: binds to the directory server, searches it and writes one
// address book record per entry with an Internet mail address.
#include "tarnbook_app.h"

#include "bridge_binding.h"
#include "ldap_handles.h"
#include "mail_address.h"
#include "progress_dlg.h"
#include "resource_ids.h"
#include "resource_text.h"
#include "status_dlg.h"
#include "trace.h"

#include <string>

namespace {

HWND NotesMainWindow() {
    return FindWindowA("NOTES", nullptr);
}

std::string LdapErrorText(ULONG code) {
    const char* text = ldap_err2stringA(code);
    return text ? text : std::string();
}

// Ends the LDAP session on whichever path the download leaves by.
class SessionGuard {
  public:
    explicit SessionGuard(LDAP*& session) : session_(session) {}
    ~SessionGuard() {
        if (session_)
            ldap_unbind(session_);
        session_ = nullptr;
    }
    SessionGuard(const SessionGuard&) = delete;
    SessionGuard& operator=(const SessionGuard&) = delete;

  private:
    LDAP*& session_;
};

} // namespace

int CTarnbookApp::DownloadAddressBook() {
    Trace("DownloadAddressBook", kTraceBlue);
    SessionGuard session(m_hLdap);
    if (!DoLDAPConnect())
        return 0;

    char mailServer[kPathBufferSize] = "";
    GetPrivateProfileStringA("Notes", "MailServer", "", mailServer, sizeof mailServer,
                             m_szNotesIniPath);
    const std::string settings =
        std::string("Notes.ini path:") + m_szNotesIniPath + ", MailServer:" + mailServer;
    Trace(settings.c_str(), kTraceBlue);

    if (g_bridge.OpenAddressBook(mailServer, 1) == 0) {
        Trace("CTarnbookApp::DownloadAddressBook(): Failed to open Address Book", kTraceRed);
        return 0;
    }
    return DoDownloadAdddressBook() ? 1 : 0;
}

int CTarnbookApp::DoLDAPConnect() {
    Trace("DoLDAPConnect", kTraceBlue);
    CStatusDlg status(IDS_STATUS_CONNECTING, NotesMainWindow(), CStatusDlg::Placement::OverOwner);
    const std::string caption = LoadResourceText(IDS_TARNBOOK_CAPTION);

    m_hLdap =
        ldap_openA(const_cast<PCHAR>(m_strHostName.c_str()), static_cast<ULONG>(m_nPortNumber));
    if (!m_hLdap) {
        // The library's own error for the failed opening; "server down" where it keeps none.
        ULONG code = LdapGetLastError();
        if (code == LDAP_SUCCESS)
            code = static_cast<ULONG>(LDAP_SERVER_DOWN);
        Report(LdapErrorText(code), caption);
        return 0;
    }
    const ULONG result =
        ldap_bind_sA(m_hLdap, const_cast<PCHAR>(""), const_cast<PCHAR>(""), LDAP_AUTH_SIMPLE);
    if (result != LDAP_SUCCESS) {
        Report(LdapErrorText(result), caption);
        return 0;
    }
    return 1;
}

int CTarnbookApp::DoDownloadAdddressBook() {
    Trace("DoDownloadAdddressBook", kTraceBlue);
    PCHAR attributes[] = {const_cast<PCHAR>("givenname"), const_cast<PCHAR>("sn"),
                          const_cast<PCHAR>("telephoneNumber"), const_cast<PCHAR>("mail"), nullptr};
    std::string lastName, firstName, phone, mail;
    std::string caption = LoadResourceText(IDS_TARNBOOK_CAPTION);
    int written = 0;

    LdapResult result;
    ULONG code = 0;
    {
        CStatusDlg status(IDS_STATUS_SEARCHING, NotesMainWindow(),
                          CStatusDlg::Placement::OverOwner);
        code =
            ldap_search_sA(m_hLdap, const_cast<PCHAR>(m_strSearchBase.c_str()), LDAP_SCOPE_SUBTREE,
                           const_cast<PCHAR>("cn=*"), attributes, 0, result.receive());
    }
    if (code == static_cast<ULONG>(-1) || !result.get()) {
        Report(LdapErrorText(code == LDAP_SUCCESS ? static_cast<ULONG>(LDAP_NO_RESULTS_RETURNED)
                                                  : code),
               caption);
        return 0;
    }
    caption = LoadResourceText(IDS_PROGRESS_CAPTION);
    CProgressDlg progress(nullptr);
    progress.SetWindowText(caption);
    const std::string progressText = LoadResourceText(IDS_PROGRESS_TEXT);
    progress.CenterOnDesktop();
    progress.ShowWindow(SW_SHOW);
    progress.SetText(progressText);
    progress.SetRange(0, 0);
    progress.SetStep(1);

    const ULONG count = ldap_count_entries(m_hLdap, result.get());
    if (count == 0 || count == static_cast<ULONG>(-1)) {
        Report(LoadResourceText(IDS_NO_ENTRIES), caption);
        Trace(("ServerName: " + m_strHostName + ", PortNumber: " + std::to_string(m_nPortNumber))
                  .c_str(),
              kTraceBlue);
        Trace(("SearchBase: " + m_strSearchBase +
               ", NumberOfEntries: " + std::to_string(static_cast<int>(count)))
                  .c_str(),
              kTraceBlue);
        return 0;
    }
    // A search cut short (a server's size limit, for one) still writes what it returned,
    // but an incomplete address book must not pass unnoticed.
    if (code != LDAP_SUCCESS)
        Trace(LdapErrorText(code).c_str(), kTraceRed);
    progress.SetRange(0, static_cast<int>(count));
    g_bridge.DeleteAll(0);

    for (LDAPMessage* entry = ldap_first_entry(m_hLdap, result.get()); entry;
         entry = ldap_next_entry(m_hLdap, entry)) {
        lastName.clear();
        firstName.clear();
        phone.clear();
        mail.clear();
        struct Field {
            const char* attribute;
            std::string& value;
        } fields[] = {{"givenname", firstName}, {"sn", lastName}, {"telephoneNumber", phone}};
        for (Field& field : fields) {
            LdapValues values(m_hLdap, entry, field.attribute);
            if (values.first())
                field.value = values.first();
        }
        bool refused = false;
        {
            LdapValues mailValues(m_hLdap, entry, "mail");
            if (mailValues.first()) {
                mail = mailValues.first();
                if (IsMailAddress(mail.c_str())) {
                    written = 1;
                    refused = g_bridge.AddNewAddressBookRecord(lastName.c_str(), firstName.c_str(),
                                                               phone.c_str(), mail.c_str(), 1) == 0;
                }
            }
        }
        if (refused) {
            Report(RecordRefusedText(mail), caption);
            break;
        }
        progress.StepIt();
    }
    result.reset();
    ldap_unbind(m_hLdap);
    m_hLdap = nullptr;

    if (!written)
        Report(LoadResourceText(IDS_NOTHING_WRITTEN), caption);
    return 1;
}

int CTarnbookApp::IsMailAddress(const char* mail) {
    if (IsInternetMailAddress(mail))
        return 1;
    Trace((std::string("Voxtarion address:") + mail).c_str(), kTraceBlue);
    return 0;
}
