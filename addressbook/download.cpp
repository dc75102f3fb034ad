// The directory download: binds to the directory server, searches it and writes one
// address book record per entry with an Internet mail address.
#define _CRT_RAND_S // rand_s: random numbers from the system's generator
#include "tarnbook_app.h"

#include "bridge_binding.h"
#include "certificate/server_certificate.h"
#include "connection/connection_notices.h"
#include "connection/directory_bind.h"
#include "connection/session_options.h"
#include "mail_address.h"
#include "marker/change_marker.h"
#include "message_pump.h"
#include "progress/progress_dlg.h"
#include "refresh/book_digest.h"
#include "refresh/last_refresh.h"
#include "refresh/record_owner.h"
#include "resource_ids.h"
#include "resource_text.h"
#include "search/directory_search.h"
#include "search/download_notices.h"
#include "status_dlg.h"
#include "trace.h"

#include <cstdlib>
#include <string>

namespace {

// How often a long walk stops to answer its windows' messages: well within the few seconds
// after which the platform counts a window that takes none as not responding.
constexpr DWORD kAnswerIntervalMs = 250;

HWND NotesMainWindow() {
    return FindWindowA("NOTES", nullptr);
}

// The server could not be reached or stopped answering, as against refusing a request.
bool IsServerLost(ULONG code) {
    return code == LDAP_SERVER_DOWN || code == LDAP_TIMEOUT || code == LDAP_CONNECT_ERROR;
}

// The port the session was opened on, as messages name it: the stored one, or the default
// port of the connection's security where none is stored.
int PortInUse(const DirectoryAccess& access, int storedPort) {
    return PortFor(ParseSecurity(access.security), storedPort);
}

// What keeps a bind from going over TLS: a certificate never checked, or refused; "" when the
// server's certificate was checked and taken.
std::string CertificateProblem(const std::string& server) {
    const CertificateVerdict& verdict = SessionCertificateVerdict();
    if (!verdict.checked)
        return CertificateNotCheckedText(server);
    if (!verdict.trusted)
        return CertificateRefusedText(server, verdict.reason);
    return std::string();
}

std::string LdapErrorText(ULONG code) {
    const char* text = ldap_err2stringA(code);
    return text ? text : std::string();
}

// Ends the LDAP session. A session whose silent server's reader still waits in it is left to
// the end of the process: unbinding it would wait for that reader, or pull the session from
// under it.
void EndSession(LDAP*& session, bool held) {
    if (session && !held)
        ldap_unbind(session);
    session = nullptr;
}

// Ends the LDAP session on whichever path the download leaves by.
class SessionGuard {
  public:
    SessionGuard(LDAP*& session, const bool& held) : session_(session), held_(held) {}
    ~SessionGuard() { EndSession(session_, held_); }
    SessionGuard(const SessionGuard&) = delete;
    SessionGuard& operator=(const SessionGuard&) = delete;

  private:
    LDAP*& session_;
    const bool& held_;
};

} // namespace

int CTarnbookApp::DownloadAddressBook() {
    Trace("DownloadAddressBook", kTraceBlue);
    SessionGuard session(m_hLdap, m_bSessionHeld);
    // A run that asks the server for its change marker first spreads only whole downloads;
    // any other waits before it asks the server anything.
    const bool askMarker = m_refresh.changedOnly && m_bSilent;
    if (!askMarker)
        WaitSeconds(WholeDownloadDelay());
    if (!DoLDAPConnect()) {
        m_failed = Failed::Directory;
        return 0;
    }

    char mailServer[kPathBufferSize] = "";
    GetPrivateProfileStringA("Notes", "MailServer", "", mailServer, sizeof mailServer,
                             m_szNotesIniPath);
    m_strMailServer = mailServer;
    const std::string settings =
        std::string("Notes.ini path:") + m_szNotesIniPath + ", MailServer:" + mailServer;
    Trace(settings.c_str(), kTraceBlue);

    if (g_bridge.OpenAddressBook(mailServer, 1) == 0) {
        TraceFailure("CTarnbookApp::DownloadAddressBook(): Failed to open Address Book");
        m_failed = Failed::Notes;
        return 0;
    }
    m_nExitStatus = kBookUnchanged; // the directory and the address book are there
    if (askMarker && IsDirectoryUnchanged())
        return 1;
    const unsigned long delay = askMarker ? WholeDownloadDelay() : 0;
    if (delay > 0) {
        // The connection is not held open through the wait. The new one may reach another
        // server behind the same name: the marker kept with this download is read on it.
        EndSession(m_hLdap, m_bSessionHeld);
        WaitSeconds(delay);
        if (!DoLDAPConnect()) {
            m_nExitStatus = kBookUnreachable;
            m_failed = Failed::Directory;
            return 0;
        }
        ChangeMarker read;
        m_strMarker = ReadMarker(nullptr, read);
    }
    return DoDownloadAdddressBook() ? 1 : 0;
}

unsigned long CTarnbookApp::WholeDownloadDelay() const {
    if (!m_bSilent || m_refresh.delay == 0)
        return 0;
    unsigned int random = 0;
    if (rand_s(&random) != 0)
        random = GetTickCount();
    const unsigned long seconds = ChosenDelay(m_refresh.delay, random);
    Trace(("Waiting " + std::to_string(seconds) + " of at most " + std::to_string(m_refresh.delay) +
           " seconds before the whole download (RefreshDelay), to spread the directory's load.")
              .c_str(),
          kTraceBlue);
    return seconds;
}

void CTarnbookApp::WaitSeconds(unsigned long seconds) {
    for (unsigned long second = 0; second < seconds; ++second)
        Sleep(1000);
}

int CTarnbookApp::DoLDAPConnect() {
    Trace("DoLDAPConnect", kTraceBlue);
    m_nPortInUse = PortInUse(m_access, m_nPortNumber);
    m_strServer = m_strHostName + ":" + std::to_string(m_nPortInUse);
    CStatusDlg status(IDS_STATUS_CONNECTING, NotesMainWindow(), CStatusDlg::Placement::OverOwner);
    const std::string caption = LoadResourceText(IDS_TARNBOOK_CAPTION);

    // The sign-in the settings ask for, checked before anything is sent.
    BindRequest bind;
    std::string problem;
    if (!PrepareBind(m_access, bind, problem)) {
        if (!m_bSilent)
            Trace(problem.c_str(), kTraceRed);
        Report(problem, caption);
        return 0;
    }
    const int port = m_nPortInUse;
    const std::string& server = m_strServer;
    PCHAR host = const_cast<PCHAR>(m_strHostName.c_str());
    m_hLdap = bind.security == ConnectionSecurity::Ldaps
                  ? ldap_sslinitA(host, static_cast<ULONG>(port), 1)
                  : ldap_initA(host, static_cast<ULONG>(port));
    if (!m_hLdap) {
        // The library's own error for the failed opening; "server down" where it keeps none.
        Report(LdapErrorText(LastLdapError()), caption);
        return 0;
    }
    // The session is set up as the download needs it, never left to the library's defaults.
    const SessionOptionsResult options = SetSessionOptions(m_hLdap);
    if (options.code != LDAP_SUCCESS) {
        Report(SessionOptionRefusedText(options.refused, LdapErrorText(options.code)), caption);
        return 0;
    }
    // Nothing goes over TLS before the server's certificate is known to be checked.
    if (bind.security != ConnectionSecurity::None &&
        !ArrangeCertificateCheck(m_hLdap, m_strHostName, port, bind.security, kServerAnswerSeconds,
                                 problem)) {
        Report(problem, caption);
        return 0;
    }
    // Neither connecting nor binding may wait for a silent server forever.
    l_timeval bound = {static_cast<LONG>(kServerAnswerSeconds), 0};
    ULONG result = ldap_connect(m_hLdap, &bound);
    if (result != LDAP_SUCCESS && SessionCertificateVerdict().checked &&
        !SessionCertificateVerdict().trusted) {
        Report(CertificateRefusedText(server, SessionCertificateVerdict().reason), caption);
        return 0;
    }
    if (result == LDAP_SUCCESS && bind.security == ConnectionSecurity::StartTls) {
        ULONG serverCode = LDAP_SUCCESS;
        result = ldap_start_tls_sA(m_hLdap, &serverCode, nullptr, nullptr, nullptr);
        if (result != LDAP_SUCCESS && SessionCertificateVerdict().checked &&
            !SessionCertificateVerdict().trusted) {
            Report(CertificateRefusedText(server, SessionCertificateVerdict().reason), caption);
            return 0;
        }
        if (result != LDAP_SUCCESS) {
            Report(TlsFailedText(server, "StartTLS",
                                 LdapErrorText(serverCode != LDAP_SUCCESS ? serverCode : result)),
                   caption);
            return 0;
        }
    }
    // No sign-in goes over TLS before the server's certificate was checked and taken.
    if (result == LDAP_SUCCESS && bind.security != ConnectionSecurity::None) {
        const std::string refused = CertificateProblem(server);
        if (!refused.empty()) {
            Report(refused, caption);
            return 0;
        }
        if (SessionCertificateVerdict().revocationUnknown)
            Trace(RevocationUnknownText(server).c_str(), kTraceBlue);
    }
    if (result == LDAP_SUCCESS) {
        std::string diagnostic;
        result = BindToDirectory(m_hLdap, bind, kServerAnswerSeconds, diagnostic);
        if (bind.clearText)
            Trace(ClearTextBindText(bind.Account(), server).c_str(), kTraceRed);
        // A refused anonymous bind is reported in the library's words alone, as it always
        // was; a refused account is named with what to check.
        if (result != LDAP_SUCCESS && result != LDAP_TIMEOUT &&
            bind.method != BindMethod::Anonymous) {
            Report(BindRefusedText(result, WithServerWords(LdapErrorText(result), diagnostic),
                                   m_access.method, bind.Account(), server),
                   caption);
            return 0;
        }
    }
    if (result == LDAP_TIMEOUT) {
        Report(ServerSilentText(m_strHostName, port, kServerAnswerSeconds), caption);
        return 0;
    }
    if (result != LDAP_SUCCESS) {
        Report(LdapErrorText(result), caption);
        return 0;
    }
    m_strBoundAccount = bind.Account();
    return 1;
}

int CTarnbookApp::DoDownloadAdddressBook() {
    Trace("DoDownloadAdddressBook", kTraceBlue);
    std::string caption = LoadResourceText(IDS_TARNBOOK_CAPTION);
    int written = 0;

    DirectorySearch search;
    {
        CStatusDlg status(IDS_STATUS_SEARCHING, NotesMainWindow(),
                          CStatusDlg::Placement::OverOwner);
        search = SearchDirectory(m_hLdap, m_strSearchBase, kServerAnswerSeconds);
    }
    // The records hold everything the download needs of the directory.
    m_bSessionHeld = search.sessionHeld;
    EndSession(m_hLdap, m_bSessionHeld);
    // A server that refuses the client answers with a closing message and no entries: that is
    // a refusal, not an empty directory.
    if (search.records.Count() == 0 && IsReadRefusal(search.code))
        search.answered = false;
    const int port = m_nPortInUse;
    if (!search.answered) {
        if (search.code == LDAP_TIMEOUT)
            Report(ServerSilentText(m_strHostName, port, kServerAnswerSeconds), caption);
        else if (search.brokenOff)
            Report(ConnectionLostText(m_strHostName, port, LdapErrorText(search.code)), caption);
        else if (search.code == LDAP_SUCCESS)
            Report(LdapErrorText(LDAP_NO_RESULTS_RETURNED), caption);
        else if (IsReadRefusal(search.code))
            Report(SearchRefusedText(search.code,
                                     WithServerWords(LdapErrorText(search.code), search.diagnostic),
                                     m_strBoundAccount),
                   caption);
        else
            Report(LdapErrorText(search.code), caption);
        if (search.brokenOff || IsServerLost(search.code)) {
            m_nExitStatus = kBookUnreachable;
            m_failed = Failed::Directory;
        }
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

    const ULONG count = search.records.Count();
    if (count == 0) {
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
    // A search that the server closed with any other code than success, after entries (a
    // size, time or administrative limit, a paged search stopped early), still writes what it
    // returned, but an incomplete address book must not pass unnoticed: the code is traced in
    // red and the user is told after the walk; in silent mode that notice is the red line
    // itself.
    const bool cut = search.code != LDAP_SUCCESS;
    if (cut && !m_bSilent)
        TraceFailure(LdapErrorText(search.code));
    m_nEntries = count;
    if (!cut && IsBookUnchanged(search))
        return 1;
    progress.SetRange(0, static_cast<int>(count));
    // No record of a whole refresh may outlive the book it describes.
    BeginWholeRefresh();
    g_bridge.DeleteAll(0);
    m_nExitStatus = kBookIncomplete; // until every entry has been written
    bool complete = search.code == LDAP_SUCCESS;
    BookDigest digest = NewBookDigest();

    bool refused = false;
    EntryRecord record;
    // The walk runs on the progress window's thread: its messages are answered now and then.
    MessagesNowAndThen answering(kAnswerIntervalMs);
    for (EntryRecords::Cursor entries(search.records); !refused && entries.Next(record);) {
        if (IsUnwritable(record)) {
            TraceFailure(UnwritableMailText(record.name));
            complete = false;
        } else if (record.hasMail && IsMailAddress(record.mail.c_str())) {
            written = 1;
            refused =
                g_bridge.AddNewAddressBookRecord(record.lastName.c_str(), record.firstName.c_str(),
                                                 record.phone.c_str(), record.mail.c_str(), 1) == 0;
            if (!refused)
                ++m_nRecordsWritten;
            // Only a run that keeps a record of its whole refresh needs the digest.
            if (!refused && m_refresh.changedOnly)
                digest.AddRecord(record.lastName, record.firstName, record.phone, record.mail);
        }
        if (refused)
            Report(RecordRefusedText(record.mail), caption);
        else
            progress.StepIt();
        answering.Answer();
    }
    search.records = EntryRecords();

    // The records are written; now the user learns that the directory held more.
    if (cut && !refused) {
        Report(search.code == LDAP_TIMEOUT
                   ? ServerSilentCutText(m_strHostName, port, kServerAnswerSeconds, count)
                   : SearchCutText(count, LdapErrorText(search.code)),
               caption);
    } else if (cut && m_bSilent) {
        TraceFailure(LdapErrorText(search.code));
    }
    if (!written)
        Report(LoadResourceText(IDS_NOTHING_WRITTEN), caption);
    if (complete && !refused) {
        m_nExitStatus = kBookRefreshed;
        if (m_refresh.changedOnly) {
            LastRefresh whole;
            whole.digest = digest.Finish();
            // The marker read before the search: a change made during it is seen next time.
            whole.marker = m_strMarker;
            whole.records = digest.Records();
            whole.time = CurrentTicks();
            whole.owner = CurrentRecordOwner();
            RememberLastRefresh(whole);
        }
    }
    return 1;
}

int CTarnbookApp::IsMailAddress(const char* mail) {
    if (IsInternetMailAddress(mail))
        return 1;
    Trace((std::string("Voxtarion address:") + mail).c_str(), kTraceBlue);
    return 0;
}
