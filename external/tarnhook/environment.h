// Environment variables that drive the stand-in bridge, read once each.
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

// The value of a variable of the process's environment; empty when unset. Read at the first
// call that asks for it and kept: the tests set these before they start a program, which never
// changes them, and a search of the environment block at every record would be counted
// against the program by a benchmark.
std::string EnvironmentValue(const char* name);

} // namespace tarnhook

#endif
