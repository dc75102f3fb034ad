// Environment variables that drive the stand-in bridge, read afresh at each call.
#ifndef TARNHOOK_ENVIRONMENT_H
#define TARNHOOK_ENVIRONMENT_H

#include <string>

namespace tarnhook {

// Path of the call log; no log when unset.
extern const char kLogVariable[];
// The call script (see script_rules.h); the reference results when unset.
extern const char kScriptVariable[];
// Path of the address book file; when unset it lies in the Notes data folder.
extern const char kAddressBookVariable[];
// Path of a file that receives the number of records accepted, written when the address book
// is closed; when set, records are counted instead of written (for benchmarks: no file work
// per record).
extern const char kRecordCountVariable[];

// Milliseconds each record takes to be written, for the tests of runs that overlap; none when
// unset.
extern const char kRecordDelayVariable[];

// The value of a variable of the process's environment; empty when unset. Read from the
// process's environment block, so that a change made with SetEnvironmentVariable counts.
std::string EnvironmentValue(const char* name);

} // namespace tarnhook

#endif
