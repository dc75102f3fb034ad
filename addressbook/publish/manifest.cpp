#include "manifest.h"

#include "ldif_lines.h"

#include <cstdio>
#include <sstream>

namespace {

constexpr char kSnapshotPrefix[] = "snapshot-";
constexpr char kDifferencePrefix[] = "difference-";
constexpr char kFileSuffix[] = ".ldif";
// Version numbers and counts: at most nine digits, which every unsigned long holds.
constexpr std::size_t kMostDigits = 9;

bool ReadNumber(const std::string& text, unsigned long& number) {
    if (text.empty() || text.size() > kMostDigits)
        return false;
    number = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + static_cast<unsigned long>(c - '0');
    }
    return true;
}

bool IsSha256(const std::string& text) {
    if (text.size() != 64)
        return false;
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

// The digits of a file name's version, eight of them as written.
bool ReadVersionDigits(const std::string& text, std::size_t at, unsigned long& version) {
    if (text.size() < at + 8)
        return false;
    for (std::size_t i = at; i < at + 8; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
    }
    return ReadNumber(text.substr(at, 8), version);
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::string(prefix).size(), prefix) == 0;
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

bool Fail(LdifProblem& problem, unsigned long line, const std::string& what) {
    problem.line = line;
    problem.what = what;
    return false;
}

} // namespace

std::string SnapshotFileName(unsigned long version) {
    char name[40];
    std::snprintf(name, sizeof name, "%s%08lu%s", kSnapshotPrefix, version, kFileSuffix);
    return name;
}

std::string DifferenceFileName(unsigned long from, unsigned long to) {
    char name[48];
    std::snprintf(name, sizeof name, "%s%08lu-%08lu%s", kDifferencePrefix, from, to, kFileSuffix);
    return name;
}

bool IsPublicationFileName(const std::string& name) {
    unsigned long from = 0, to = 0;
    if (StartsWith(name, kSnapshotPrefix))
        return ReadVersionDigits(name, 9, from) && name == SnapshotFileName(from);
    if (StartsWith(name, kDifferencePrefix))
        return ReadVersionDigits(name, 11, from) && ReadVersionDigits(name, 20, to) &&
               name == DifferenceFileName(from, to);
    return false;
}

std::string ManifestText(const Manifest& manifest) {
    std::string out;
    AppendLdifLine(out, "format", std::to_string(kManifestFormat));
    AppendLdifLine(out, "version", std::to_string(manifest.version));
    AppendLdifLine(out, "server", manifest.server);
    AppendLdifLine(out, "base", manifest.base);
    AppendLdifLine(out, "filter", manifest.request.filter);
    AppendLdifLine(out, "lastNameAttribute", manifest.request.lastName);
    AppendLdifLine(out, "firstNameAttribute", manifest.request.firstName);
    AppendLdifLine(out, "phoneAttribute", manifest.request.phone);
    AppendLdifLine(out, "mailAttribute", manifest.request.mail);
    AppendLdifLine(out, "marker", manifest.marker);
    AppendLdifLine(out, "snapshot",
                   manifest.snapshot + " " + std::to_string(manifest.entries) + " " +
                       manifest.snapshotSha256,
                   false);
    // One line per file, unfolded, for the people who read it.
    for (const ManifestDifference& difference : manifest.differences)
        AppendLdifLine(out, "difference",
                       std::to_string(difference.from) + " " + std::to_string(difference.to) + " " +
                           difference.file + " " + difference.sha256,
                       false);
    return out;
}

bool ReadManifest(const std::string& bytes, Manifest& manifest, LdifProblem& problem) {
    manifest = Manifest();
    std::vector<LdifRecord> records;
    if (!ReadLdifRecords(bytes, false, records, problem))
        return false;
    if (records.size() != 1)
        return Fail(problem, records.size() > 1 ? records[1].lines.front().line : 0,
                    records.empty() ? "an empty manifest" : "a manifest in more than one part");
    const std::vector<LdifLine>& lines = records.front().lines;
    const LdifLine& format = lines.front();
    if (format.separator || format.name != "format")
        return Fail(problem, format.line, "a manifest that does not begin with its format");
    if (format.value != std::to_string(kManifestFormat))
        return Fail(problem, format.line,
                    "format " + format.value + ", which this TARNBOOK does not read");
    const std::pair<const char*, std::string*> texts[] = {
        {"server", &manifest.server},
        {"base", &manifest.base},
        {"filter", &manifest.request.filter},
        {"lastNameAttribute", &manifest.request.lastName},
        {"firstNameAttribute", &manifest.request.firstName},
        {"phoneAttribute", &manifest.request.phone},
        {"mailAttribute", &manifest.request.mail},
        {"marker", &manifest.marker}};
    unsigned seen = 0; // a bit per text, the version and the snapshot
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const LdifLine& line = lines[i];
        const std::vector<std::string> words = Words(line.value);
        unsigned bit = 0;
        if (line.separator) {
            return Fail(problem, line.line, "a \"-\" in a manifest");
        } else if (line.name == "version") {
            bit = 1u << 8;
            if (!ReadNumber(line.value, manifest.version) || manifest.version == 0)
                return Fail(problem, line.line, "a version that is not a number from 1");
        } else if (line.name == "snapshot") {
            bit = 1u << 9;
            if (words.size() != 3 || !StartsWith(words[0], kSnapshotPrefix) ||
                !IsPublicationFileName(words[0]) || !ReadNumber(words[1], manifest.entries) ||
                !IsSha256(words[2]))
                return Fail(problem, line.line,
                            "a snapshot line that is not \"file entries SHA-256\"");
            manifest.snapshot = words[0];
            manifest.snapshotSha256 = words[2];
        } else if (line.name == "difference") {
            ManifestDifference difference;
            if (words.size() != 4 || !ReadNumber(words[0], difference.from) ||
                !ReadNumber(words[1], difference.to) || difference.from >= difference.to ||
                words[2] != DifferenceFileName(difference.from, difference.to) ||
                !IsSha256(words[3]))
                return Fail(problem, line.line,
                            "a difference line that is not \"from to file SHA-256\"");
            difference.file = words[2];
            difference.sha256 = words[3];
            manifest.differences.push_back(difference);
        } else {
            for (unsigned k = 0; k < 8; ++k) {
                if (line.name == texts[k].first) {
                    bit = 1u << k;
                    *texts[k].second = line.value;
                }
            }
            if (bit == 0)
                return Fail(problem, line.line, "the line " + line.name + ", unknown to format 1");
        }
        if (seen & bit)
            return Fail(problem, line.line, "the line " + line.name + " twice");
        seen |= bit;
    }
    if (seen != 0x3FFu)
        return Fail(problem, 0, "a manifest that lacks a line of format 1");
    for (const ManifestDifference& difference : manifest.differences) {
        if (difference.to > manifest.version)
            return Fail(problem, 0, "a difference to a version after the manifest's");
    }
    return true;
}

bool DifferenceChain(const Manifest& manifest, unsigned long from,
                     std::vector<ManifestDifference>& chain) {
    chain.clear();
    unsigned long at = from;
    while (at < manifest.version) {
        const ManifestDifference* next = nullptr;
        for (const ManifestDifference& difference : manifest.differences) {
            if (difference.from == at && (!next || difference.to > next->to))
                next = &difference;
        }
        if (!next) {
            chain.clear();
            return false;
        }
        chain.push_back(*next);
        at = next->to;
    }
    return at == manifest.version;
}
