#include "source_decision.h"

#include <cctype>
#include <string>

SourceDecision DecideSource(const Manifest& manifest, const LocalCopyFacts& copy,
                            const std::string& folder, bool due) {
    SourceDecision decision;
    if (!copy.present)
        return decision;
    const std::string copied = "the local copy holds version " + std::to_string(copy.version);
    if (copy.folder != folder) {
        decision.why = "the local copy came from another folder";
    } else if (copy.version == manifest.version && copy.sha256 == manifest.snapshotSha256) {
        decision.step = due ? SourceStep::FromCopy : SourceStep::Unchanged;
    } else if (copy.version >= manifest.version) {
        // The publication started again, or a version was made again: the copy is not one of
        // its past versions.
        decision.why = copied + ", which this publication does not continue";
    } else if (!DifferenceChain(manifest, copy.version, decision.chain)) {
        decision.chain.clear();
        decision.why = copied + ", and the differences from it are no longer kept";
    } else {
        decision.step = SourceStep::Differences;
    }
    return decision;
}

bool ParseSourceFallback(const std::string& value, SourceFallback& fallback) {
    std::string lower;
    for (char c : value)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    fallback = lower == "none" ? SourceFallback::None : SourceFallback::Directory;
    return lower.empty() || lower == "none" || lower == "directory";
}
