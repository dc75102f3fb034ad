// The lines of LDIF (RFC 2849) as a publication writes and reads them: "name: value", or
// "name:: base64" for a value that is not plain text; lines folded at 76 columns; records
// separated by blank lines; comments skipped. Platform-free.
#ifndef TARN_LDIF_LINES_H
#define TARN_LDIF_LINES_H

#include "ldif_problem.h"

#include <string>
#include <vector>

// One logical line of a record: an attribute and its decoded value, or the "-" that ends a
// modification (separator).
struct LdifLine {
    std::string name;
    std::string value;
    unsigned long line = 0; // where it starts in the file, from 1
    bool separator = false;
};

struct LdifRecord {
    std::vector<LdifLine> lines;
};

// Appends "name: value\n" (or "name:: base64\n"), folded at 76 columns unless fold is false.
void AppendLdifLine(std::string& out, const std::string& name, const std::string& value,
                    bool fold = true);

// The records of bytes. With versionLine, the file must begin with "version: 1", which is not
// returned as a record. False, with the line and why, for anything that is not such LDIF.
bool ReadLdifRecords(const std::string& bytes, bool versionLine, std::vector<LdifRecord>& records,
                     LdifProblem& problem);

// True where a and b name the same attribute: letter case does not count.
bool SameAttribute(const std::string& a, const std::string& b);

#endif
