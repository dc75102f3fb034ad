#include "snapshot_ldif.h"

#include "ldif_lines.h"

namespace {

// The record of one entry without its changetype: its DN and the attributes it holds.
void AppendEntry(std::string& out, const EntryRecord& entry, const SearchRequest& request,
                 const std::vector<std::string>& attributes) {
    AppendLdifLine(out, "dn", entry.name);
    std::string value;
    for (const std::string& attribute : attributes) {
        if (EntryValue(entry, request, attribute, value))
            AppendLdifLine(out, attribute, value);
    }
}

} // namespace

std::string SnapshotLdif(const BookEntries& sorted, const SearchRequest& request) {
    const std::vector<std::string> attributes = BookAttributes(request);
    std::string out = "version: 1\n";
    out.reserve(sorted.size() * 160);
    for (const EntryRecord& entry : sorted) {
        out += '\n';
        AppendEntry(out, entry, request, attributes);
    }
    return out;
}

bool ReadEntryLines(const LdifRecord& record, std::size_t first, const SearchRequest& request,
                    EntryRecord& entry, LdifProblem& problem) {
    for (std::size_t i = first; i < record.lines.size(); ++i) {
        const LdifLine& line = record.lines[i];
        std::string held;
        problem.line = line.line;
        if (line.separator) {
            problem.what = "a \"-\" outside a modification";
            return false;
        }
        if (EntryValue(entry, request, line.name, held)) {
            problem.what = "the attribute " + line.name + " twice";
            return false;
        }
        if (!SetEntryValue(entry, request, line.name, &line.value)) {
            problem.what = "the attribute " + line.name +
                           ", which this book does not take (a file of another book?)";
            return false;
        }
    }
    problem = LdifProblem();
    return true;
}

bool ReadSnapshotLdif(const std::string& bytes, const SearchRequest& request, BookEntries& entries,
                      LdifProblem& problem) {
    entries.clear();
    std::vector<LdifRecord> records;
    if (!ReadLdifRecords(bytes, true, records, problem))
        return false;
    entries.reserve(records.size());
    for (const LdifRecord& record : records) {
        const LdifLine& dn = record.lines.front();
        EntryRecord entry;
        entry.name = dn.value;
        bool read = !dn.separator && dn.name == "dn" && !dn.value.empty();
        if (!read) {
            problem = {dn.line, "a record that does not begin with its DN"};
        } else if (!entries.empty() && !(entries.back().name < entry.name)) {
            problem = {dn.line, "a record out of order or twice: " + entry.name};
            read = false;
        } else {
            read = ReadEntryLines(record, 1, request, entry, problem);
        }
        if (!read) {
            entries.clear();
            return false;
        }
        entries.push_back(std::move(entry));
    }
    return true;
}
