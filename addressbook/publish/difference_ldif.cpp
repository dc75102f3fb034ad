#include "difference_ldif.h"

#include "ldif_lines.h"
#include "snapshot_ldif.h"

#include <cstddef>

namespace {

void AppendAdd(std::string& out, const EntryRecord& entry, const SearchRequest& request,
               const std::vector<std::string>& attributes) {
    out += '\n';
    AppendLdifLine(out, "dn", entry.name);
    out += "changetype: add\n";
    std::string value;
    for (const std::string& attribute : attributes) {
        if (EntryValue(entry, request, attribute, value))
            AppendLdifLine(out, attribute, value);
    }
}

void AppendDelete(std::string& out, const EntryRecord& entry) {
    out += '\n';
    AppendLdifLine(out, "dn", entry.name);
    out += "changetype: delete\n";
}

// A replace of every attribute whose value differs; false where none does.
bool AppendModify(std::string& out, const EntryRecord& from, const EntryRecord& to,
                  const SearchRequest& request, const std::vector<std::string>& attributes) {
    std::string changes;
    for (const std::string& attribute : attributes) {
        std::string before, after;
        const bool held = EntryValue(from, request, attribute, before);
        const bool holds = EntryValue(to, request, attribute, after);
        if (held == holds && before == after)
            continue;
        AppendLdifLine(changes, "replace", attribute);
        if (holds)
            AppendLdifLine(changes, attribute, after);
        changes += "-\n";
    }
    if (changes.empty())
        return false;
    out += '\n';
    AppendLdifLine(out, "dn", to.name);
    out += "changetype: modify\n";
    out += changes;
    return true;
}

bool Fail(LdifProblem& problem, unsigned long line, const std::string& what) {
    problem.line = line;
    problem.what = what;
    return false;
}

// Applies the modifications of record, from its third line on, to entry.
bool ApplyModify(const LdifRecord& record, const SearchRequest& request, EntryRecord& entry,
                 LdifProblem& problem) {
    const std::vector<LdifLine>& lines = record.lines;
    std::size_t at = 2;
    while (at < lines.size()) {
        const LdifLine& operation = lines[at++];
        if (operation.separator || (operation.name != "replace" && operation.name != "delete"))
            return Fail(problem, operation.line, "a modification other than replace or delete");
        const std::string& attribute = operation.value;
        const std::string* value = nullptr;
        for (; at < lines.size() && !lines[at].separator; ++at) {
            if (!SameAttribute(lines[at].name, attribute) || value || operation.name == "delete")
                return Fail(problem, lines[at].line, "a value that this modification cannot take");
            value = &lines[at].value;
        }
        if (at == lines.size())
            return Fail(problem, operation.line, "a modification that does not end with \"-\"");
        ++at;
        if (!SetEntryValue(entry, request, attribute, value))
            return Fail(problem, operation.line,
                        "the attribute " + attribute +
                            ", which this book does not take (a file of another book?)");
    }
    return true;
}

} // namespace

std::string DifferenceLdif(const BookEntries& from, const BookEntries& to,
                           const SearchRequest& request, DifferenceCount& count) {
    count = DifferenceCount();
    const std::vector<std::string> attributes = BookAttributes(request);
    std::string out = "version: 1\n";
    std::size_t i = 0, j = 0;
    while (i < from.size() || j < to.size()) {
        if (j == to.size() || (i < from.size() && from[i].name < to[j].name)) {
            AppendDelete(out, from[i++]);
            ++count.deleted;
        } else if (i == from.size() || to[j].name < from[i].name) {
            AppendAdd(out, to[j++], request, attributes);
            ++count.added;
        } else {
            if (AppendModify(out, from[i], to[j], request, attributes))
                ++count.changed;
            ++i;
            ++j;
        }
    }
    return out;
}

bool ApplyDifferenceLdif(const std::string& bytes, const SearchRequest& request,
                         BookEntries& entries, LdifProblem& problem) {
    std::vector<LdifRecord> records;
    if (!ReadLdifRecords(bytes, true, records, problem))
        return false;
    BookEntries result;
    result.reserve(entries.size() + records.size());
    std::size_t i = 0;
    const std::string* previous = nullptr;
    for (const LdifRecord& record : records) {
        const std::vector<LdifLine>& lines = record.lines;
        const LdifLine& dn = lines.front();
        if (dn.separator || dn.name != "dn" || dn.value.empty())
            return Fail(problem, dn.line, "a record that does not begin with its DN");
        if (previous && !(*previous < dn.value))
            return Fail(problem, dn.line, "a record out of order or twice: " + dn.value);
        previous = &dn.value;
        if (lines.size() < 2 || lines[1].separator || lines[1].name != "changetype")
            return Fail(problem, dn.line, "a record without its changetype");
        while (i < entries.size() && entries[i].name < dn.value)
            result.push_back(std::move(entries[i++]));
        const bool held = i < entries.size() && entries[i].name == dn.value;
        const std::string& change = lines[1].value;
        if (change == "add") {
            if (held)
                return Fail(problem, dn.line, "an add of an entry the book holds: " + dn.value);
            EntryRecord entry;
            entry.name = dn.value;
            if (!ReadEntryLines(record, 2, request, entry, problem))
                return false;
            result.push_back(std::move(entry));
        } else if (change == "delete" || change == "modify") {
            if (!held)
                return Fail(problem, dn.line,
                            "a " + change + " of an entry the book does not hold: " + dn.value);
            EntryRecord entry = std::move(entries[i++]);
            if (change == "delete") {
                if (lines.size() > 2)
                    return Fail(problem, lines[2].line, "a delete that carries values");
                continue;
            }
            if (!ApplyModify(record, request, entry, problem))
                return false;
            result.push_back(std::move(entry));
        } else {
            return Fail(problem, lines[1].line, "a changetype other than add, delete or modify");
        }
    }
    while (i < entries.size())
        result.push_back(std::move(entries[i++]));
    entries.swap(result);
    return true;
}
