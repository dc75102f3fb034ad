// The guard against an address book that shrinks by mistake: ShrinkLimit (0 to 100, default 0:
// no guard) is the share, in percent, by which a download may hold fewer records than the last
// whole refresh from the same server, search base and filter before the book is left as it
// was. Platform-free.
#ifndef TARN_SHRINK_GUARD_H
#define TARN_SHRINK_GUARD_H

#include <string>

constexpr unsigned kMostShrinkLimit = 100;

// ShrinkLimit as stored ("" where absent). A value that is not understood keeps 0 and is named
// in problem.
unsigned ParseShrinkLimit(const std::string& limit, std::string& problem);

// True where records is fewer than (100 - limit)% of lastRecords; never with the limit 0.
bool IsShrunk(unsigned long lastRecords, unsigned long records, unsigned limit);

#endif
