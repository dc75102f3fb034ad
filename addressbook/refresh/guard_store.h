// Where the shrink guard keeps its count: per user and per computer, under
// HKCU\Software\Classes\Local Settings, beside the record of the last whole refresh but apart
// from it. The count is one value, written whole, and only by a complete run; a run that
// breaks off leaves the count of the last complete one.
#ifndef TARN_GUARD_STORE_H
#define TARN_GUARD_STORE_H

#include "shrink_guard.h"

// False where no count is kept, or its value is not understood.
bool ReadGuardCount(GuardCount& count);
// Replaces the kept count; false, with a red trace line, where it could not be stored.
bool RememberGuardCount(const GuardCount& count);

#endif
