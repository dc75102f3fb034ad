// The entries of a published book as a desktop reads them from the publication's folder: the
// manifest, the differences from the local copy's version on, or the snapshot; every file's
// SHA-256 and every result checked against the manifest, every read bounded in time.
#ifndef TARN_PUBLISHED_BOOK_H
#define TARN_PUBLISHED_BOOK_H

#include "publish/book_entries.h"
#include "publish/manifest.h"

#include <string>
#include <vector>

// The bounds of a read from the folder: the manifest and a difference are a few kilobytes; a
// snapshot of a large directory is megabytes over a branch office's link.
constexpr unsigned kManifestReadSeconds = 30;
constexpr unsigned kDifferenceReadSeconds = 60;
constexpr unsigned kSnapshotReadSeconds = 300;

struct PublishedBook {
    BookEntries entries;  // sorted by name
    std::string snapshot; // the snapshot's bytes of entries, with the manifest's SHA-256
};

// False, with why (the file and, for a malformed one, the line), where the manifest cannot be
// read or used.
bool ReadPublicationManifest(const std::string& folder, Manifest& manifest, std::string& why);

// Applies the differences of chain to the entries of the local copy's snapshot (copied), and
// checks the result against the manifest. False, with why, where any difference cannot be read,
// has another SHA-256 than the manifest's, does not apply, or the result is not the manifest's.
bool ReadDifferences(const std::string& folder, const Manifest& manifest,
                     const std::vector<ManifestDifference>& chain, const std::string& copied,
                     PublishedBook& book, std::string& why);

// The entries of snapshot bytes with the manifest's SHA-256 (the local copy's, or the file's).
// False, with why naming file, where they have another SHA-256 or are malformed.
bool TakeSnapshot(std::string bytes, const Manifest& manifest, const std::string& file,
                  PublishedBook& book, std::string& why);

// Reads the manifest's snapshot and takes it.
bool ReadSnapshot(const std::string& folder, const Manifest& manifest, PublishedBook& book,
                  std::string& why);

#endif
