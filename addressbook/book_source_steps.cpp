// The steps of a run that reads a published book (book_source_run.cpp orders them): the local
// copy read and kept, the entries read as the decision says, the book left alone, and the run's
// event.
#include "tarnbook_app.h"

#include "download_notices.h"
#include "refresh/last_refresh.h"
#include "refresh/record_owner.h"
#include "source/local_copy.h"
#include "source/published_book.h"
#include "source/source_decision.h"
#include "tarnbook_events.h"
#include "trace.h"

#include <string>
#include <utility>

void CTarnbookApp::ReadOwnLocalCopy(LocalCopy& copy) const {
    std::string why;
    if (!ReadLocalCopy(copy, why)) {
        if (!why.empty())
            Trace(("The local copy of the published book is not used: " + why + ".").c_str(),
                  kTraceBlue);
        copy = LocalCopy();
    } else if (CompareOwner(copy.owner, CurrentRecordOwner()) != OwnerChange::None) {
        Trace("The local copy of the published book was kept for another computer, Notes "
              "installation, bridge library or TARNBOOK version: it is not used.",
              kTraceBlue);
        copy = LocalCopy();
    }
}

CTarnbookApp::SourceOutcome CTarnbookApp::LeavePublishedBookAlone() {
    if (!OpenBook())
        return SourceOutcome::Failed;
    Trace(("The address book holds version " + std::to_string(m_source.version) +
           " of the book published in " + m_source.folder + ": nothing was read or written.")
              .c_str(),
          kTraceBlue);
    m_bBookLeftAlone = true;
    m_nExitStatus = kBookRefreshed;
    return SourceOutcome::Unchanged;
}

bool CTarnbookApp::ReadPublishedEntries(const Manifest& manifest, const SourceDecision& decision,
                                        std::string copied, PublishedBook& book) {
    const std::string version = std::to_string(manifest.version);
    std::string why = decision.why;
    if (decision.step == SourceStep::FromCopy) {
        Trace(("The address book was last written whole from version " + version +
               " RefreshDays days ago or more: it is written whole from the local copy.")
                  .c_str(),
              kTraceBlue);
        m_source.how = "the local copy";
        if (TakeSnapshot(std::move(copied), manifest, "the local copy", book, why))
            return true;
    } else if (decision.step == SourceStep::Differences) {
        m_source.how = std::to_string(decision.chain.size()) + " difference" +
                       (decision.chain.size() == 1 ? "" : "s") + " from version " +
                       std::to_string(decision.chain.front().from);
        Trace(("Version " + version + " of the book published in " + m_source.folder +
               " is read from " + m_source.how + ".")
                  .c_str(),
              kTraceBlue);
        if (ReadDifferences(m_strBookSource, manifest, decision.chain, copied, book, why))
            return true;
    }
    if (!why.empty())
        Trace(("The snapshot is read: " + why + ".").c_str(), kTraceBlue);
    m_source.how = "the snapshot";
    if (ReadSnapshot(m_strBookSource, manifest, book, why))
        return true;
    // The line names the file (and the line of a malformed one).
    TraceFailure("The snapshot of the book published in " + m_source.folder +
                 " cannot be used: " + why + ".");
    m_strProblem = why;
    return false;
}

void CTarnbookApp::KeepLocalCopy(const Manifest& manifest, std::string snapshot) {
    LocalCopy copy;
    copy.facts.folder = m_strBookSource;
    copy.facts.version = manifest.version;
    copy.facts.sha256 = manifest.snapshotSha256;
    copy.snapshot = std::move(snapshot);
    copy.time = CurrentTicks();
    copy.owner = CurrentRecordOwner();
    std::string why;
    if (!WriteLocalCopy(copy, why))
        Trace(("The local copy of the published book could not be kept (" + why +
               "): the next run reads the snapshot.")
                  .c_str(),
              kTraceRed);
}

void CTarnbookApp::PickSourceEvent(DWORD& id, std::vector<std::string>& strings) const {
    const std::string version = std::to_string(m_source.version);
    const std::string records = GroupedCount(m_nRecordsWritten);
    const std::string entries = GroupedCount(m_nEntries);
    if (m_nExitStatus == kBookRefreshed && m_bBookLeftAlone) {
        id = MSG_PUBLISHED_BOOK_UNCHANGED;
        strings = {version, m_source.folder};
    } else if (m_nExitStatus == kBookRefreshed) {
        id = MSG_BOOK_READ_FROM_PUBLICATION;
        strings = {version, m_source.folder, m_source.how, records, entries};
    } else if (m_nExitStatus == kBookIncomplete) {
        id = MSG_PUBLISHED_BOOK_INCOMPLETE;
        strings = {records, entries, version, m_source.folder, m_strProblem};
    } else if (m_nExitStatus == kBookUnchanged) {
        id = MSG_PUBLISHED_BOOK_NOT_WRITTEN;
        strings = {m_strProblem};
    } else if (m_failed == Failed::Notes) {
        id = MSG_NOTES_UNREACHABLE;
        strings = {m_strProblem};
    } else {
        id = MSG_PUBLISHED_BOOK_UNUSABLE;
        strings = {m_source.folder, m_strProblem};
    }
}
