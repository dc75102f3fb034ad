// The published book's readers, fed any bytes as a snapshot, a difference and a manifest: what
// they take writes back to something they take again with the same meaning, a difference leaves
// the entries sorted, and a manifest names only a publication's files.
#include "fuzz_check.h"
#include "publish/difference_ldif.h"
#include "publish/manifest.h"
#include "publish/snapshot_ldif.h"

namespace {

bool Sorted(const BookEntries& entries) {
    for (std::size_t i = 1; i < entries.size(); ++i) {
        if (!(entries[i - 1].name < entries[i].name))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    SearchRequest request;
    LdifProblem problem;

    BookEntries entries;
    if (ReadSnapshotLdif(bytes, request, entries, problem)) {
        FUZZ_CHECK(Sorted(entries));
        const std::string written = SnapshotLdif(entries, request);
        BookEntries again;
        FUZZ_CHECK(ReadSnapshotLdif(written, request, again, problem));
        FUZZ_CHECK(SnapshotLdif(again, request) == written);
    } else {
        FUZZ_CHECK(entries.empty() && !problem.what.empty());
    }

    BookEntries book;
    EntryRecord entry;
    for (const char* name : {"cn=a", "cn=b", "cn=c"}) {
        entry.name = name;
        entry.hasMail = true;
        entry.mail = std::string(name + 3) + "@x";
        book.push_back(entry);
    }
    if (ApplyDifferenceLdif(bytes, request, book, problem))
        FUZZ_CHECK(Sorted(book));

    Manifest manifest;
    if (ReadManifest(bytes, manifest, problem)) {
        FUZZ_CHECK(IsPublicationFileName(manifest.snapshot) && manifest.version > 0);
        for (const ManifestDifference& difference : manifest.differences)
            FUZZ_CHECK(IsPublicationFileName(difference.file) && difference.from < difference.to &&
                       difference.to <= manifest.version);
        Manifest again;
        FUZZ_CHECK(ReadManifest(ManifestText(manifest), again, problem));
        FUZZ_CHECK(ManifestText(again) == ManifestText(manifest));
        std::vector<ManifestDifference> chain;
        if (DifferenceChain(manifest, 1, chain))
            FUZZ_CHECK(chain.empty() || chain.back().to == manifest.version);
    }
    return 0;
}
