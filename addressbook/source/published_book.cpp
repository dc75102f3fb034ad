#include "published_book.h"

#include "folder_read.h"
#include "publish/difference_ldif.h"
#include "publish/snapshot_ldif.h"
#include "refresh/sha256.h"

#include <new>
#include <utility>

namespace {

std::string Sha256Of(const std::string& bytes) {
    Sha256 sha;
    sha.Add(bytes.data(), bytes.size());
    return sha.HexDigest();
}

std::string WholeFileProblem(const std::string& file, const std::string& what) {
    LdifProblem problem;
    problem.what = what;
    return LdifProblemText(file, problem);
}

// Runs read; a file too large for this computer's memory is refused rather than ending the run.
template <typename Read> bool WithinMemory(const std::string& what, std::string& why, Read read) {
    try {
        return read();
    } catch (const std::bad_alloc&) {
        why = what + " is too large to be read into this computer's memory";
        return false;
    }
}

} // namespace

bool ReadPublicationManifest(const std::string& folder, Manifest& manifest, std::string& why) {
    std::string bytes;
    if (!ReadFolderFile(folder, kManifestFileName, kManifestReadSeconds, kMostManifestBytes, bytes,
                        why))
        return false;
    LdifProblem problem;
    if (!ReadManifest(bytes, manifest, problem)) {
        why = LdifProblemText(kManifestFileName, problem);
        return false;
    }
    return true;
}

namespace {

bool ApplyDifferences(const std::string& folder, const Manifest& manifest,
                      const std::vector<ManifestDifference>& chain, const std::string& copied,
                      PublishedBook& book, std::string& why) {
    BookEntries entries;
    LdifProblem problem;
    if (!ReadSnapshotLdif(copied, manifest.request, entries, problem)) {
        why = LdifProblemText("the local copy", problem);
        return false;
    }
    for (const ManifestDifference& difference : chain) {
        std::string bytes;
        if (!ReadFolderFile(folder, difference.file, kDifferenceReadSeconds,
                            kMostPublicationFileBytes, bytes, why))
            return false;
        if (Sha256Of(bytes) != difference.sha256) {
            why = WholeFileProblem(difference.file, "its SHA-256 is not the manifest's");
            return false;
        }
        if (!ApplyDifferenceLdif(bytes, manifest.request, entries, problem)) {
            why = LdifProblemText(difference.file, problem);
            return false;
        }
    }
    std::string snapshot = SnapshotLdif(entries, manifest.request);
    if (Sha256Of(snapshot) != manifest.snapshotSha256) {
        why = "the differences up to version " + std::to_string(manifest.version) +
              " do not give the book whose SHA-256 the manifest holds";
        return false;
    }
    book.entries = std::move(entries);
    book.snapshot = std::move(snapshot);
    return true;
}

bool ParseSnapshot(std::string& bytes, const Manifest& manifest, const std::string& file,
                   PublishedBook& book, std::string& why) {
    if (Sha256Of(bytes) != manifest.snapshotSha256) {
        why = WholeFileProblem(file, "its SHA-256 is not the manifest's");
        return false;
    }
    LdifProblem problem;
    if (!ReadSnapshotLdif(bytes, manifest.request, book.entries, problem)) {
        why = LdifProblemText(file, problem);
        return false;
    }
    book.snapshot = std::move(bytes);
    return true;
}

} // namespace

bool ReadDifferences(const std::string& folder, const Manifest& manifest,
                     const std::vector<ManifestDifference>& chain, const std::string& copied,
                     PublishedBook& book, std::string& why) {
    return WithinMemory(
        "the differences up to version " + std::to_string(manifest.version), why,
        [&] { return ApplyDifferences(folder, manifest, chain, copied, book, why); });
}

bool TakeSnapshot(std::string bytes, const Manifest& manifest, const std::string& file,
                  PublishedBook& book, std::string& why) {
    return WithinMemory(file, why, [&] { return ParseSnapshot(bytes, manifest, file, book, why); });
}

bool ReadSnapshot(const std::string& folder, const Manifest& manifest, PublishedBook& book,
                  std::string& why) {
    std::string bytes;
    if (!ReadFolderFile(folder, manifest.snapshot, kSnapshotReadSeconds, kMostPublicationFileBytes,
                        bytes, why))
        return false;
    return TakeSnapshot(std::move(bytes), manifest, manifest.snapshot, book, why);
}
