// The record of this user's last whole refresh of the address book, kept per user under the
// Notes key's subkey "Last Refresh": its digest, record count and time. Only the digest of
// the records is kept, never the records.
#ifndef TARN_LAST_REFRESH_H
#define TARN_LAST_REFRESH_H

#include "refresh_rule.h"

#include <cstdint>
#include <string>

// False where no whole refresh is on record.
bool ReadLastRefresh(LastRefresh& last);
// Stores last; false, with a red trace line, where it could not be stored.
bool RememberLastRefresh(const LastRefresh& last);
// Removes the record, before the address book is emptied: a run that breaks off while it
// writes leaves no record that could take its partial book for an unchanged one. Where the key
// cannot be removed, its digest is emptied, which no refresh matches; where neither can be
// done, a red trace line says so.
void ForgetLastRefresh();

// Now, in 100-nanosecond ticks since 1601 (UTC), as a FILETIME counts them.
std::uint64_t CurrentTicks();
// A time in ticks as the local date and time, "2026-12-09 04:30".
std::string LocalTimeText(std::uint64_t ticks);

#endif
