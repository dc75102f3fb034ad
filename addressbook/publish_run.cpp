// TARNBOOK -publish FOLDER: the directory downloaded with the settings a silent run reads and
// published into the folder as a new version where its entries changed. Neither Notes nor the
// bridge takes part.
#include "tarnbook_app.h"

#include "connection/connection_notices.h"
#include "connection/directory_bind.h"
#include "marker/change_marker.h"
#include "publish/manifest.h"
#include "publish/publication_folder.h"
#include "refresh/shrink_guard.h"
#include "search/entry_records.h"
#include "source/folder_read.h"
#include "trace.h"
#include "unicode_text.h"

#include <string>

namespace {

// How long a read of the folder may take before the publication is given up.
constexpr unsigned kFolderAnswerSeconds = 60;
constexpr unsigned long kDefaultPublishKeep = 30;
constexpr unsigned long kMostPublishKeep = 1000;

// PublishKeep as stored; a value that is not understood keeps the default and is named.
unsigned long ParsePublishKeep(const std::string& value, std::string& problem) {
    problem.clear();
    if (value.empty())
        return kDefaultPublishKeep;
    unsigned long keep = 0;
    bool digits = value.size() <= 4;
    for (const char c : value) {
        digits = digits && c >= '0' && c <= '9';
        keep = keep * 10 + static_cast<unsigned long>(c - '0');
    }
    if (digits && keep >= 1 && keep <= kMostPublishKeep)
        return keep;
    problem = "PublishKeep \"" + value + "\" is not a number from 1 to " +
              std::to_string(kMostPublishKeep) + ": " + std::to_string(kDefaultPublishKeep) +
              " differences are kept.";
    return kDefaultPublishKeep;
}

// The manifest's settings are this run's: its entries may be compared with the new ones.
bool SameSource(const Manifest& manifest, const std::string& server, const std::string& base,
                const SearchRequest& request) {
    return manifest.server == server && manifest.base == base &&
           manifest.request.filter == request.filter &&
           manifest.request.lastName == request.lastName &&
           manifest.request.firstName == request.firstName &&
           manifest.request.phone == request.phone && manifest.request.mail == request.mail;
}

// True where folder (which answers: its lock is held) holds no file name.
bool IsMissing(const std::string& folder, const std::string& name) {
    std::wstring path;
    WideFromUtf8(folder + (folder.back() == '\\' ? "" : "\\") + name, path);
    return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES &&
           GetLastError() == ERROR_FILE_NOT_FOUND;
}

} // namespace

int CTarnbookApp::PublishBook(const std::string& folder) {
    m_publish.running = true;
    m_publish.folder = folder;
    m_bSilent = 1;
    m_nExitStatus = kBookUnreachable;
    Trace(("PublishBook " + CodePageFromUtf8(folder)).c_str(), kTraceBlue);
    GetUserInfo(HKEY_LOCAL_MACHINE);
    GetUserInfo(HKEY_CURRENT_USER);
    GetPolicyInfo();
    NameServerInUse();

    std::string why;
    PublicationLock lock;
    switch (lock.Take(folder, why)) {
    case PublicationLock::Outcome::Held:
        break;
    case PublicationLock::Outcome::Busy:
        m_strProblem = "another publisher is at work in " + CodePageFromUtf8(folder) + ".";
        Trace(("Nothing was published: " + m_strProblem).c_str(), kTraceBlue);
        m_nExitStatus = kBookUnchanged;
        return 0;
    case PublicationLock::Outcome::Failed:
        TraceFailure("The folder " + CodePageFromUtf8(folder) + " cannot be written (" + why +
                     ").");
        return 0;
    }
    if (!TakeBookSettings())
        return 0;
    m_request.keepNames = true;
    std::string problem;
    m_nShrinkLimit = ParseShrinkLimit(m_bookSettings.shrinkLimit, problem);
    if (!problem.empty())
        Trace(problem.c_str(), kTraceRed);
    const unsigned long keep = ParsePublishKeep(m_strPublishKeep, problem);
    if (!problem.empty())
        Trace(problem.c_str(), kTraceRed);

    // The current version, where the folder holds one.
    Manifest current;
    bool haveCurrent = false;
    std::string bytes;
    if (ReadFolderFile(folder, kManifestFileName, kFolderAnswerSeconds, kMostManifestBytes, bytes,
                       why)) {
        LdifProblem malformed;
        haveCurrent = ReadManifest(bytes, current, malformed);
        if (!haveCurrent)
            Trace(("The publication starts again at version 1: " +
                   LdifProblemText(kManifestFileName, malformed) + ".")
                      .c_str(),
                  kTraceBlue);
    } else if (!IsMissing(folder, kManifestFileName)) {
        TraceFailure("The publication in " + CodePageFromUtf8(folder) + " cannot be read: " + why +
                     ".");
        return 0;
    }

    if (!DoLDAPConnect())
        return 0;
    const bool sameSource =
        haveCurrent && SameSource(current, m_strServer, m_strSearchBase, m_request);
    ChangeMarker read;
    const std::string marker = ReadMarker(nullptr, read);
    // An unchanged marker spares the search only where the version's snapshot is there to read.
    if (sameSource && !marker.empty() && marker == current.marker &&
        !IsMissing(folder, current.snapshot)) {
        Trace(("The directory has not changed since version " + std::to_string(current.version) +
               " was published: nothing is published.")
                  .c_str(),
              kTraceBlue);
        if (m_hLdap)
            ldap_unbind(m_hLdap);
        m_hLdap = nullptr;
        m_publish.version = current.version;
        m_publish.unchanged = true;
        m_nExitStatus = kBookRefreshed;
        return 1;
    }
    std::vector<EntryRecord> entries;
    if (!SearchForPublication(entries))
        return 0;
    return WritePublication(haveCurrent ? &current : nullptr, sameSource, entries, marker,
                            static_cast<unsigned>(keep));
}
