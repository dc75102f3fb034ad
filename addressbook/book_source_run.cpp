// The address book from a published book (BookSource) instead of the directory: the manifest,
// the local copy and the decision between them, the entries read, then the same walk as a
// download's, and the local copy kept of what was written.
#include "tarnbook_app.h"

#include "download_notices.h"
#include "refresh/last_refresh.h"
#include "search/entry_records.h"
#include "source/local_copy.h"
#include "source/published_book.h"
#include "source/source_decision.h"
#include "trace.h"
#include "unicode_text.h"

#include <string>

namespace {

// The entries as a search would have given them: the code page's verdict on each address.
EntryRecords AsEntryRecords(const BookEntries& entries) {
    EntryRecords records;
    for (EntryRecord record : entries) {
        CodePageFromUtf8(record.mail, record.exact);
        records.Add(record);
    }
    return records;
}

} // namespace

CTarnbookApp::SourceOutcome CTarnbookApp::ReadPublishedBook() {
    Trace("ReadPublishedBook", kTraceBlue);
    m_source.used = true;
    m_source.folder = CodePageFromUtf8(m_strBookSource);
    if (!IsFullyQualifiedFolder(m_strBookSource)) {
        const std::string why = "BookSource \"" + m_source.folder +
                                "\" is not a fully qualified folder (a drive path such as "
                                "X:\\Book or a UNC path such as \\\\server\\share\\Book)";
        TraceFailure(why + ".");
        m_strProblem = why;
        return SourceOutcome::Unusable;
    }
    Manifest manifest;
    if (!ReadPublicationManifest(m_strBookSource, manifest, m_strProblem))
        return SourceOutcome::Unusable;
    m_source.version = manifest.version;
    LocalCopy copy;
    ReadOwnLocalCopy(copy);
    LastRefresh written;
    written.time = copy.time;
    const bool due = copy.facts.present && IsRefreshDue(m_refresh, written, CurrentTicks());
    const SourceDecision decision = DecideSource(manifest, copy.facts, m_strBookSource, due);
    PublishedBook book;
    if (decision.step == SourceStep::Unchanged)
        return LeavePublishedBookAlone();
    if (!ReadPublishedEntries(manifest, decision, std::move(copy.snapshot), book))
        return SourceOutcome::Unusable;

    // The publication's settings are this run's: the guard's count and the run's event are
    // the publication's source's.
    m_strServer = manifest.server;
    m_strSearchBase = manifest.base;
    m_request = manifest.request;
    if (!OpenBook())
        return SourceOutcome::Failed;
    m_nExitStatus = kBookUnchanged; // the publication and the address book are there
    EntryRecords records = AsEntryRecords(book.entries);
    book.entries = BookEntries();
    if (!WriteBook(records, LDAP_SUCCESS, false) || m_nExitStatus != kBookRefreshed)
        return SourceOutcome::Failed;
    KeepLocalCopy(manifest, book.snapshot);
    return SourceOutcome::Written;
}

bool CTarnbookApp::FallBackToDirectory() {
    SourceFallback fallback = SourceFallback::Directory;
    if (!ParseSourceFallback(m_strBookSourceFallback, fallback))
        Trace(("BookSourceFallback \"" + m_strBookSourceFallback +
               "\" is not understood: it may be directory or none; directory holds.")
                  .c_str(),
              kTraceRed);
    const std::string why = m_strProblem;
    const std::string unusable =
        "The book published in " + m_source.folder + " cannot be used (" + why + ")";
    if (fallback == SourceFallback::None) {
        TraceFailure(unusable + ": the address book was left as it was (BookSourceFallback is "
                                "none).");
        m_strProblem = why + "."; // the event names the folder and says the rest
        m_nExitStatus = kBookUnreachable;
        m_failed = Failed::Directory;
        return false;
    }
    Trace((unusable + ": the address book is downloaded from the directory "
                      "(BookSourceFallback is directory).")
              .c_str(),
          kTraceBlue);
    m_source = {};
    m_strProblem.clear();
    return true;
}
