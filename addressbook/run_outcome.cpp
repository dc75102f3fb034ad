// The run's one event in the Application log: what became of the address book, in the words
// of TARNBOOK's message table (tarnbook_events.mc).
#include "tarnbook_app.h"

#include "download_notices.h"
#include "run_event.h"
#include "tarnbook_events.h"
#include "unicode_text.h"

void CTarnbookApp::ReportRunOutcome() {
    const std::string& server = m_strServer;
    const std::string records = GroupedCount(m_nRecordsWritten);
    const std::string entries = GroupedCount(m_nEntries);
    const std::string base = CodePageFromUtf8(m_strSearchBase);
    DWORD id = 0;
    std::vector<std::string> strings;
    if (m_publish.running) {
        PickPublishEvent(id, strings);
    } else if (m_bPasswordCommand) {
        id = m_nExitStatus == kPasswordStored ? MSG_PASSWORD_STORED : MSG_PASSWORD_NOT_STORED;
        strings = {m_strProblem};
    } else if (m_source.used) {
        PickSourceEvent(id, strings);
    } else if (m_nExitStatus == kBookRefreshed && m_bBookLeftAlone) {
        id = MSG_BOOK_UNCHANGED;
        strings = {records, m_strLastRefresh, server, base};
    } else if (m_nExitStatus == kBookRefreshed) {
        id = MSG_BOOK_REFRESHED;
        strings = {records, entries, server, base};
    } else if (m_nExitStatus == kBookIncomplete) {
        id = MSG_BOOK_INCOMPLETE;
        strings = {records, entries, server, base, m_strProblem};
    } else if (m_nExitStatus == kBookUnchanged && m_bSettingsCancelled) {
        id = MSG_SETTINGS_NOT_CONFIRMED;
    } else if (m_nExitStatus == kBookUnchanged) {
        id = MSG_BOOK_NOT_REFRESHED;
        strings = {m_strProblem};
    } else if (m_failed == Failed::Notes) {
        id = MSG_NOTES_UNREACHABLE;
        strings = {m_strProblem};
    } else {
        id = MSG_DIRECTORY_UNREACHABLE;
        strings = {server, m_strProblem};
    }
    ReportRunEvent("TARNBOOK", id, strings);
}
