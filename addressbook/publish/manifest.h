// The manifest of a publication: the format's version, the publication's version number, the
// settings it was made with, its snapshot (file, entry count, SHA-256) and each kept difference
// (from and to versions, file, SHA-256). The publisher replaces it last and in one step, so a
// reader never sees a manifest that names a missing or half-written file. Platform-free.
#ifndef TARN_MANIFEST_H
#define TARN_MANIFEST_H

#include "ldif_problem.h"
#include "search/search_request.h"

#include <string>
#include <vector>

// The manifest's file in the publication's folder.
constexpr char kManifestFileName[] = "manifest.txt";
// The format this build writes and reads.
constexpr unsigned kManifestFormat = 1;

struct ManifestDifference {
    unsigned long from = 0, to = 0;
    std::string file;   // a name IsPublicationFileName takes
    std::string sha256; // 64 lower-case hex digits
};

struct Manifest {
    unsigned long version = 0; // from 1
    std::string server;        // host:port the version was downloaded from
    std::string base;          // the search base, UTF-8
    SearchRequest request;     // the filter and the attribute of each field
    // The directory's change marker read before this version's download; empty where the
    // server has none. A publisher that reads the same again makes no new version.
    std::string marker;
    std::string snapshot; // the snapshot's file
    unsigned long entries = 0;
    std::string snapshotSha256;
    std::vector<ManifestDifference> differences; // each to a later version, the oldest first
};

std::string ManifestText(const Manifest& manifest);
// False, with the line and why, for a malformed manifest, another format, or a file name that is
// not one of a publication's (a manifest never names a file outside its folder).
bool ReadManifest(const std::string& bytes, Manifest& manifest, LdifProblem& problem);

// The files of a version: "snapshot-00000042.ldif", "difference-00000041-00000042.ldif".
std::string SnapshotFileName(unsigned long version);
std::string DifferenceFileName(unsigned long from, unsigned long to);
// True for a name of those two forms only.
bool IsPublicationFileName(const std::string& name);

// The manifest's differences that lead from version from to its version, in order; false where
// one is missing.
bool DifferenceChain(const Manifest& manifest, unsigned long from,
                     std::vector<ManifestDifference>& chain);

#endif
