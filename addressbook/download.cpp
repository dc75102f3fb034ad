// The directory download: binds to the directory server, searches it and writes one
// address book record per entry with an Internet mail address.
#define _CRT_RAND_S // rand_s: random numbers from the system's generator
#include "tarnbook_app.h"

#include "bridge_binding.h"
#include "connection/connection_notices.h"
#include "connection/directory_bind.h"
#include "download_notices.h"
#include "marker/change_marker.h"
#include "message_pump.h"
#include "resource_ids.h"
#include "resource_text.h"
#include "search/directory_search.h"
#include "status_dlg.h"
#include "trace.h"
#include "unicode_text.h"
#include "win_handles.h"

#include <cstdlib>
#include <string>

namespace {

// The server could not be reached or stopped answering, as against refusing a request.
bool IsServerLost(ULONG code) {
    return code == LDAP_SERVER_DOWN || code == LDAP_TIMEOUT || code == LDAP_CONNECT_ERROR;
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
    // What the book takes is checked before the server is asked anything; a refusal names the
    // server all the same.
    NameServerInUse();
    // A published book, where one is named, before anything is asked of the directory: the
    // desktop's own directory settings decide only a download from the directory.
    const bool published = !m_strBookSource.empty();
    if (!TakeBookSettings(!published)) {
        m_failed = Failed::Directory;
        return 0;
    }
    if (published) {
        const SourceOutcome outcome = ReadPublishedBook();
        if (outcome != SourceOutcome::Unusable || !FallBackToDirectory())
            return outcome == SourceOutcome::Written || outcome == SourceOutcome::Unchanged ? 1 : 0;
        if (!TakeBookSettings()) {
            m_failed = Failed::Directory;
            return 0;
        }
    }
    // A run that asks the server for its change marker first spreads only whole downloads;
    // any other waits before it asks the server anything.
    const bool askMarker = m_refresh.changedOnly && m_bSilent;
    if (!askMarker)
        WaitSeconds(WholeDownloadDelay());
    if (!DoLDAPConnect()) {
        m_failed = Failed::Directory;
        return 0;
    }

    if (!OpenBook())
        return 0;
    m_nExitStatus = kBookUnchanged; // the directory and the address book are there
    if (askMarker && IsDirectoryUnchanged())
        return 1;
    if (!askMarker && m_refresh.changedOnly) {
        // An interactive run refreshes whole, and keeps the marker read before it like a silent
        // run, so that the next logon need not search.
        ChangeMarker read;
        m_strMarker = ReadMarker(nullptr, read);
    }
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

int CTarnbookApp::OpenBook() {
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
    return 1;
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
    // A wait for an event that nothing sets ends when its time is up; meanwhile the thread's
    // windows answer their messages, however long it lasts.
    const KernelHandle never(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!never.valid()) {
        Sleep(seconds * 1000);
        return;
    }
    WaitAnswering(never.get(), seconds * 1000);
}

int CTarnbookApp::DoDownloadAdddressBook() {
    Trace("DoDownloadAdddressBook", kTraceBlue);
    std::string caption = LoadResourceText(IDS_TARNBOOK_CAPTION);
    DirectorySearch search;
    {
        CStatusDlg status(IDS_STATUS_SEARCHING, NotesMainWindow(),
                          CStatusDlg::Placement::OverOwner);
        search = SearchDirectory(m_hLdap, m_strSearchBase, m_request, kServerAnswerSeconds);
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
        if (search.code == LDAP_FILTER_ERROR)
            Report(SearchFilterRefusedText(CodePageFromUtf8(m_request.filter),
                                           LdapErrorText(search.code)),
                   caption);
        else if (search.code == LDAP_TIMEOUT)
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
        if (search.brokenOff || IsServerLost(search.code) || search.code == LDAP_FILTER_ERROR) {
            m_nExitStatus = kBookUnreachable;
            m_failed = Failed::Directory;
        }
        return 0;
    }
    return WriteBook(search.records, search.code, true);
}
