// The directory download: binds to the directory server, searches it and writes one
// address book record per entry with an Internet mail address.
#define _CRT_RAND_S // rand_s: random numbers from the system's generator
#include "tarnbook_app.h"

#include "bridge_binding.h"
#include "certificate/server_certificate.h"
#include "directory/bind_notices.h"
#include "directory/change_marker.h"
#include "directory/directory_bind.h"
#include "directory/directory_search.h"
#include "directory/download_notices.h"
#include "directory/session_options.h"
#include "mail_address.h"
#include "message_pump.h"
#include "notes_discovery.h"
#include "progress/progress_dlg.h"
#include "refresh/book_digest.h"
#include "refresh/last_refresh.h"
#include "refresh/record_owner.h"
#include "resource_ids.h"
#include "resource_text.h"
#include "status_dlg.h"
#include "tarn_version.h"
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

// An Internet address that the code page would change: it would reach someone else, or no one.
bool IsUnwritable(const EntryRecord& record) {
    return record.hasMail && !record.exact && IsInternetMailAddress(record.mail);
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

std::string CTarnbookApp::ReadMarker(const LastRefresh* last, ChangeMarker& read) const {
    const MarkerSource source = FindMarkerSource(m_hLdap, m_strSearchBase, kServerAnswerSeconds);
    const std::string family = MarkerFamilyName(source.family);
    // The server and the search the marker belongs to.
    const std::string where = source.server + "\n" + source.namingContext + "\n" + m_strServer +
                              "\n" + m_strSearchBase + "\n" + m_strBoundAccount + "\n" +
                              m_szNotesIniPath + "\n" + m_strMailServer;
    const std::string kept = last ? KeptMarkerValue(last->marker, family, where) : "";
    read = ReadChangeMarker(m_hLdap, source, kept, kServerAnswerSeconds);
    return KeptMarker(family, where, read.value);
}

int CTarnbookApp::IsDirectoryUnchanged() {
    // A record made elsewhere (another computer, Notes installation, bridge or version) holds
    // no marker of this book; the search's own verdict names what differs.
    LastRefresh last;
    const bool onRecord = ReadLastRefresh(last) &&
                          CompareOwner(last.owner, CurrentRecordOwner()) == OwnerChange::None;
    ChangeMarker read;
    m_strMarker = ReadMarker(onRecord ? &last : nullptr, read);
    const MarkerVerdict verdict =
        JudgeMarker(m_refresh, onRecord ? &last : nullptr, m_strMarker, CurrentTicks());
    TraceMarkerVerdict(verdict, last, read.note);
    if (verdict != MarkerVerdict::Unchanged)
        return 0;
    return LeaveBookAlone(last);
}

void CTarnbookApp::TraceMarkerVerdict(MarkerVerdict verdict, const LastRefresh& last,
                                      const std::string& note) const {
    const std::string when = LocalTimeText(last.time);
    const std::string why = note.empty() ? std::string() : " (" + note + ")";
    std::string text;
    switch (verdict) {
    case MarkerVerdict::Unchanged:
        text = "The directory has not changed since the whole refresh of " + when +
               ", which wrote the " + GroupedCount(last.records) +
               " records of this address book: nothing was searched or written (Refresh is "
               "changed).";
        break;
    case MarkerVerdict::Moved:
        text = "The directory server's change marker moved since the whole refresh of " + when +
               why + ": the directory is searched whole.";
        break;
    case MarkerVerdict::Elsewhere:
        text = "The change marker kept with the whole refresh of " + when +
               " belongs to another server or search: the directory is searched whole.";
        break;
    case MarkerVerdict::NotKept:
        text = "The whole refresh of " + when +
               " kept no change marker: the directory is searched whole.";
        break;
    case MarkerVerdict::Unreadable:
        text = "The directory server offers no change marker" + why +
               ": the directory is searched whole.";
        break;
    case MarkerVerdict::Due:
    case MarkerVerdict::Unknown:
        return; // the search's own verdict says why
    }
    Trace(text.c_str(), kTraceBlue);
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

BookDigest CTarnbookApp::NewBookDigest() const {
    return BookDigest(m_strServer, m_strSearchBase, m_strBoundAccount, m_szNotesIniPath,
                      m_strMailServer);
}

RecordOwner CTarnbookApp::CurrentRecordOwner() const {
    return FindRecordOwner(g_hNotesDll, g_bridge.library, m_szNotesIniPath, TARN_VERSION_TEXT);
}

int CTarnbookApp::ReadOwnLastRefresh(LastRefresh& last) const {
    if (!ReadLastRefresh(last)) {
        TraceRefreshVerdict(RefreshVerdict::Unknown, last);
        return 0;
    }
    const char* other = "for another address book";
    switch (CompareOwner(last.owner, CurrentRecordOwner())) {
    case OwnerChange::None:
        return 1;
    case OwnerChange::Computer:
        other = "on another computer";
        break;
    case OwnerChange::Notes:
        other = "with another Notes installation or data folder";
        break;
    case OwnerChange::Bridge:
        other = "through another bridge library";
        break;
    case OwnerChange::Program:
        other = "by another TARNBOOK version";
        break;
    }
    Trace(("The last whole refresh on record, of " + LocalTimeText(last.time) + ", was made " +
           other + ": the address book is refreshed whole.")
              .c_str(),
          kTraceBlue);
    return 0;
}

int CTarnbookApp::IsBookUnchanged(const DirectorySearch& search) {
    if (!m_refresh.changedOnly || !m_bSilent)
        return 0;
    LastRefresh last;
    if (!ReadOwnLastRefresh(last))
        return 0;
    BookDigest digest = NewBookDigest();
    EntryRecord record;
    for (EntryRecords::Cursor entries(search.records); entries.Next(record);) {
        // An entry that cannot be written makes no whole refresh: nothing to compare.
        if (IsUnwritable(record))
            return 0;
        if (record.hasMail && IsInternetMailAddress(record.mail))
            digest.AddRecord(record.lastName, record.firstName, record.phone, record.mail);
    }
    const RefreshVerdict verdict = JudgeRefresh(m_refresh, &last, digest.Finish(), CurrentTicks());
    TraceRefreshVerdict(verdict, last);
    if (verdict != RefreshVerdict::Unchanged)
        return 0;
    // The same records under a marker that moved (a change the book does not show): the new
    // marker is kept, so that the next run need not search again.
    if (!m_strMarker.empty() && m_strMarker != last.marker) {
        LastRefresh kept = last;
        kept.marker = m_strMarker;
        RememberLastRefresh(kept);
    }
    return LeaveBookAlone(last);
}

int CTarnbookApp::LeaveBookAlone(const LastRefresh& last) {
    m_bBookLeftAlone = true;
    m_nRecordsWritten = last.records;
    m_strLastRefresh = LocalTimeText(last.time);
    m_nExitStatus = kBookRefreshed;
    return 1;
}

void CTarnbookApp::TraceRefreshVerdict(RefreshVerdict verdict, const LastRefresh& last) const {
    const std::string when = LocalTimeText(last.time);
    std::string text;
    switch (verdict) {
    case RefreshVerdict::Unchanged:
        text = "The directory holds the same " + GroupedCount(last.records) +
               " records that the whole refresh of " + when +
               " wrote into this address book: nothing was written (Refresh is changed).";
        break;
    case RefreshVerdict::Changed:
        text = "The directory or the address book changed since the whole refresh of " + when +
               ": the address book is refreshed whole.";
        break;
    case RefreshVerdict::Due:
        text = "The last whole refresh, of " + when + ", is " + std::to_string(m_refresh.days) +
               " days old or more (RefreshDays): the address book is refreshed whole.";
        break;
    case RefreshVerdict::Unknown:
        text = "No whole refresh of this address book is on record: it is refreshed whole.";
        break;
    }
    Trace(text.c_str(), kTraceBlue);
}

int CTarnbookApp::IsMailAddress(const char* mail) {
    if (IsInternetMailAddress(mail))
        return 1;
    Trace((std::string("Voxtarion address:") + mail).c_str(), kTraceBlue);
    return 0;
}
