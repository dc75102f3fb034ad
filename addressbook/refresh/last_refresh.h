// The record of this user's last whole refresh of the address book on this computer: its
// digest, the server's change marker, its record count and time, and whom it belongs to. It is
// kept per user under HKCU\Software\Classes\Local Settings, which stays on this computer. Only
// the digest of the records is kept, never the records. (The shrink guard keeps its own count:
// guard_store.h.)
#ifndef TARN_LAST_REFRESH_H
#define TARN_LAST_REFRESH_H

#include "refresh_rule.h"

#include <cstdint>
#include <string>

// False where no whole refresh is on record, or its record is cut off, not understood or
// cannot be changed (this run could not set it aside before emptying the address book).
bool ReadLastRefresh(LastRefresh& last);
// Stores last; false, with a red trace line, where it could not be stored.
bool RememberLastRefresh(const LastRefresh& last);
// Sets the record aside before the address book is emptied: a run that breaks off while it
// writes leaves no record that could take its partial book for an unchanged one. Where the
// record can neither be marked nor removed, a red trace line says so; ReadLastRefresh never
// takes such a record.
void BeginWholeRefresh();

// Now, in 100-nanosecond ticks since 1601 (UTC), as a FILETIME counts them.
std::uint64_t CurrentTicks();
// A time in ticks as the local date and time, "2026-12-09 04:30".
std::string LocalTimeText(std::uint64_t ticks);

#endif
