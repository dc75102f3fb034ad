// The publisher's steps: the search that keeps every entry's name, the new version's files
// written in their order, and the run's event.
#include "tarnbook_app.h"

#include "connection/connection_notices.h"
#include "connection/directory_bind.h"
#include "download_notices.h"
#include "publish/difference_ldif.h"
#include "publish/manifest.h"
#include "publish/publication_folder.h"
#include "publish/snapshot_ldif.h"
#include "refresh/sha256.h"
#include "refresh/shrink_guard.h"
#include "search/directory_search.h"
#include "source/folder_read.h"
#include "tarnbook_events.h"
#include "trace.h"
#include "unicode_text.h"

namespace {

constexpr unsigned kFolderAnswerSeconds = 60;

std::string HexSha256(const std::string& bytes) {
    Sha256 digest;
    digest.Add(bytes.data(), bytes.size());
    return digest.HexDigest();
}

// The bytes of the manifest's snapshot, where the folder holds it whole; else why not.
bool ReadWholeSnapshot(const std::string& folder, const Manifest& manifest, std::string& bytes,
                       std::string& why) {
    if (!ReadFolderFile(folder, manifest.snapshot, kFolderAnswerSeconds, kMostPublicationFileBytes,
                        bytes, why))
        return false;
    if (HexSha256(bytes) != manifest.snapshotSha256) {
        why = manifest.snapshot + " does not have the SHA-256 its manifest names";
        return false;
    }
    return true;
}

// The entries of the version the manifest names, where its snapshot is whole; else why not.
bool ReadVersionEntries(const std::string& folder, const Manifest& manifest, BookEntries& entries,
                        std::string& why) {
    std::string bytes;
    if (!ReadWholeSnapshot(folder, manifest, bytes, why))
        return false;
    LdifProblem problem;
    if (!ReadSnapshotLdif(bytes, manifest.request, entries, problem)) {
        why = LdifProblemText(manifest.snapshot, problem);
        return false;
    }
    return true;
}

} // namespace

int CTarnbookApp::SearchForPublication(std::vector<EntryRecord>& entries) {
    DirectorySearch search =
        SearchDirectory(m_hLdap, m_strSearchBase, m_request, kServerAnswerSeconds);
    // A reader left waiting for a silent server keeps the session to the end of the process.
    m_bSessionHeld = search.sessionHeld;
    if (m_hLdap && !m_bSessionHeld)
        ldap_unbind(m_hLdap);
    m_hLdap = nullptr;
    if (!search.answered || search.code != LDAP_SUCCESS) {
        // Part of the directory published would empty part of every desktop's book.
        const std::string words =
            search.code == LDAP_TIMEOUT
                ? ServerSilentText(m_strHostName, m_nPortInUse, kServerAnswerSeconds)
                : WithServerWords(LdapErrorText(search.code), search.diagnostic);
        TraceFailure("The directory's entries could not all be read, so nothing is published: " +
                     words);
        return 0;
    }
    m_nEntries = search.records.Count();
    if (m_nEntries == 0) {
        m_strProblem = "the directory gave no entries below " + CodePageFromUtf8(m_strSearchBase) +
                       " for the filter " + CodePageFromUtf8(m_request.filter) + ".";
        Trace(("Nothing was published: " + m_strProblem).c_str(), kTraceRed);
        m_nExitStatus = kBookUnchanged;
        return 0;
    }
    entries.reserve(m_nEntries);
    EntryRecord record;
    for (EntryRecords::Cursor cursor(search.records); cursor.Next(record);)
        entries.push_back(record);
    search.records = EntryRecords();
    SortBookEntries(entries);
    return 1;
}

int CTarnbookApp::PublicationFolderFailed(const std::string& why) {
    TraceFailure("The folder " + CodePageFromUtf8(m_publish.folder) + " cannot be written: " + why +
                 ".");
    m_nExitStatus = kBookUnreachable;
    return 0;
}

int CTarnbookApp::WritePublication(const Manifest* current, bool sameSource,
                                   std::vector<EntryRecord>& entries, const std::string& marker,
                                   unsigned keep) {
    const std::string& folder = m_publish.folder;
    const std::string snapshot = SnapshotLdif(entries, m_request);
    const std::string sha = HexSha256(snapshot);
    std::string why;
    if (sameSource && sha == current->snapshotSha256) {
        Trace(("The directory holds the entries of version " + std::to_string(current->version) +
               ": nothing is published.")
                  .c_str(),
              kTraceBlue);
        m_publish.version = current->version;
        m_publish.unchanged = true;
        m_nExitStatus = kBookRefreshed;
        // A snapshot lost or damaged in the folder is made whole again from the same entries.
        std::string bytes;
        if (!ReadWholeSnapshot(folder, *current, bytes, why)) {
            Trace(("Writing " + current->snapshot + " again").c_str(), kTraceBlue);
            if (!WritePublicationFile(folder, current->snapshot, snapshot, why))
                return PublicationFolderFailed(why);
        }
        // The marker read now spares the next run its search.
        if (!marker.empty() && marker != current->marker) {
            Manifest same = *current;
            same.marker = marker;
            Trace("Replacing the manifest", kTraceBlue);
            if (!WritePublicationFile(folder, kManifestFileName, ManifestText(same), why))
                Trace(("The change marker was not kept: " + why + ".").c_str(), kTraceRed);
        }
        return 1;
    }
    if (sameSource &&
        IsShrunk(current->entries, static_cast<unsigned long>(entries.size()), m_nShrinkLimit)) {
        m_strProblem = "the directory gave " +
                       GroupedCount(static_cast<unsigned long>(entries.size())) +
                       " entries against " + GroupedCount(current->entries) + " of version " +
                       std::to_string(current->version) + ", fewer than ShrinkLimit (" +
                       std::to_string(m_nShrinkLimit) + "%) allows.";
        TraceFailure("Nothing was published: " + m_strProblem);
        m_nExitStatus = kBookUnchanged;
        return 0;
    }

    Manifest next;
    next.version = current ? current->version + 1 : 1;
    next.server = m_strServer;
    next.base = m_strSearchBase;
    next.request = m_request;
    next.marker = marker;
    next.snapshot = SnapshotFileName(next.version);
    next.entries = static_cast<unsigned long>(entries.size());
    next.snapshotSha256 = sha;
    m_publish.previous = current ? current->version : 0;
    m_publish.changes = next.entries;

    // The difference from the current version, where its entries can be read.
    BookEntries previous;
    std::string difference;
    if (current && !sameSource)
        Trace(("Version " + std::to_string(next.version) +
               " has no difference from the one before: the server, search base, filter or "
               "attributes changed.")
                  .c_str(),
              kTraceBlue);
    else if (current && !ReadVersionEntries(folder, *current, previous, why))
        Trace(("Version " + std::to_string(next.version) +
               " has no difference from the one before: " + why + ".")
                  .c_str(),
              kTraceBlue);
    else if (current) {
        DifferenceCount count;
        difference = DifferenceLdif(previous, entries, m_request, count);
        m_publish.changes = count.Total();
        next.differences = current->differences;
        next.differences.push_back({current->version, next.version,
                                    DifferenceFileName(current->version, next.version),
                                    HexSha256(difference)});
        while (next.differences.size() > keep)
            next.differences.erase(next.differences.begin());
    }
    previous = BookEntries();

    Trace(("Writing " + next.snapshot).c_str(), kTraceBlue);
    if (!WritePublicationFile(folder, next.snapshot, snapshot, why))
        return PublicationFolderFailed(why);
    if (!next.differences.empty() && next.differences.back().to == next.version) {
        Trace(("Writing " + next.differences.back().file).c_str(), kTraceBlue);
        if (!WritePublicationFile(folder, next.differences.back().file, difference, why))
            return PublicationFolderFailed(why);
    }
    Trace("Replacing the manifest", kTraceBlue);
    if (!WritePublicationFile(folder, kManifestFileName, ManifestText(next), why))
        return PublicationFolderFailed(why);

    // Only now may the files of older versions go: the last two snapshots stay.
    std::vector<std::string> kept = {kManifestFileName, next.snapshot};
    if (current)
        kept.push_back(current->snapshot);
    for (const ManifestDifference& each : next.differences)
        kept.push_back(each.file);
    for (const std::string& name : RemoveUnnamedFiles(folder, kept))
        Trace(("Removed " + name).c_str(), kTraceBlue);

    m_publish.version = next.version;
    m_nExitStatus = kBookRefreshed;
    Trace(("Version " + std::to_string(next.version) + " was published in " +
           CodePageFromUtf8(folder) + ": " + GroupedCount(next.entries) + " entries, " +
           GroupedCount(m_publish.changes) + " changes against version " +
           std::to_string(m_publish.previous) + ".")
              .c_str(),
          kTraceBlue);
    return 1;
}

void CTarnbookApp::PickPublishEvent(DWORD& id, std::vector<std::string>& strings) const {
    const std::string folder = CodePageFromUtf8(m_publish.folder);
    const std::string base = CodePageFromUtf8(m_strSearchBase);
    const std::string version = std::to_string(m_publish.version);
    if (m_nExitStatus == kBookRefreshed && m_publish.unchanged) {
        id = MSG_PUBLICATION_UNCHANGED;
        strings = {folder, m_strServer, base, version};
    } else if (m_nExitStatus == kBookRefreshed) {
        id = MSG_BOOK_PUBLISHED;
        strings = {version,
                   folder,
                   GroupedCount(m_nEntries),
                   m_strServer,
                   base,
                   GroupedCount(m_publish.changes),
                   std::to_string(m_publish.previous)};
    } else if (m_nExitStatus == kBookUnchanged) {
        id = MSG_PUBLICATION_NOT_MADE;
        strings = {folder, m_strProblem};
    } else {
        id = MSG_PUBLICATION_FAILED;
        strings = {folder, m_strServer, m_strProblem};
    }
}
