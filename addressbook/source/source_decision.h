// What a desktop reads of a publication, against the local copy of the book it wrote last: nothing
// (the same version), the differences in between, or the snapshot. Platform-free.
#ifndef TARN_SOURCE_DECISION_H
#define TARN_SOURCE_DECISION_H

#include "folder_path.h"
#include "publish/manifest.h"

#include <string>
#include <vector>

// What the local copy says of the book this desktop wrote last, as far as the decision needs it.
struct LocalCopyFacts {
    bool present = false;      // a local copy of this user's book was read and understood
    std::string folder;        // the publication it came from, UTF-8, as BookSource named it
    unsigned long version = 0; // its version there
    std::string sha256;        // its snapshot's SHA-256
};

enum class SourceStep {
    Unchanged,   // the book holds the manifest's version: nothing is written
    FromCopy,    // the same version, but RefreshDays forces a whole write: from the local copy
    Differences, // the differences in chain, applied to the local copy
    Snapshot,    // the snapshot
};

struct SourceDecision {
    SourceStep step = SourceStep::Snapshot;
    std::vector<ManifestDifference> chain; // for Differences: from the copy's version on
    std::string why; // for Snapshot: why no difference is read ("" where there is no copy)
};

// folder: BookSource now; due: the last whole write is RefreshDays old.
SourceDecision DecideSource(const Manifest& manifest, const LocalCopyFacts& copy,
                            const std::string& folder, bool due);

// BookSourceFallback: where the publication gives no usable book, the directory is downloaded
// (Directory, the default) or the run ends (None).
enum class SourceFallback { Directory, None };
// The value as stored ("" where absent), "directory" or "none" in any case; false for anything
// else, with fallback Directory.
bool ParseSourceFallback(const std::string& value, SourceFallback& fallback);

#endif
