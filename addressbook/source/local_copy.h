// The local copy of the published book this desktop wrote last: its snapshot's bytes, the folder
// and version it came from, its SHA-256, when the book was last written whole, and whom it
// belongs to (the computer, Notes installation, bridge and TARNBOOK, as for the record of the last
// whole refresh). One file per user below the local application data, which never roams, readable
// and writable by that user alone; written under a new name and swapped in.
#ifndef TARN_LOCAL_COPY_H
#define TARN_LOCAL_COPY_H

#include "refresh/refresh_rule.h"
#include "source_decision.h"

#include <cstdint>
#include <string>

struct LocalCopy {
    LocalCopyFacts facts;
    std::string snapshot;   // the snapshot's bytes, whose SHA-256 facts.sha256 is
    std::uint64_t time = 0; // when the book was last written whole, as a FILETIME counts
    RecordOwner owner;
};

// The local copy's text: a header of "name: value" lines, a blank line, the snapshot's bytes.
std::string LocalCopyText(const LocalCopy& copy);
// False, with why, where text is not a local copy as LocalCopyText writes one, or its snapshot's
// bytes do not have its SHA-256.
bool ParseLocalCopy(const std::string& text, LocalCopy& copy, std::string& why);

// This user's local copy. False where there is none (why empty) or it cannot be read or
// understood (why says so).
bool ReadLocalCopy(LocalCopy& copy, std::string& why);
// Removes this user's local copy before the address book is emptied: a run that breaks off while
// it writes leaves no copy that could take its partial book for an unchanged one. False, with
// why, where one is there and cannot be removed.
bool ForgetLocalCopy(std::string& why);
// Replaces this user's local copy; false, with why, where it could not be written.
bool WriteLocalCopy(const LocalCopy& copy, std::string& why);

#endif
