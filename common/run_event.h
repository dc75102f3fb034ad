// The one Application event log entry that each run of a program writes, for the people who
// watch unattended programs through the event log. The texts live in each program's own
// message table (its .mc file); the strings fill their inserts %1, %2, ...
#ifndef TARN_RUN_EVENT_H
#define TARN_RUN_EVENT_H

#include <windows.h>

#include <string>
#include <vector>

// The Application log's key of a source: where the packages register its message file.
#define TARN_EVENT_SOURCES_KEY "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application"

// Writes the event eventId (a full message id of the source's message table, severity bits
// included) under source. Where the source is not registered, the event is still written
// (the log then lacks its text) and a blue trace line says so; where it cannot be written at
// all, a red trace line says why. The event never changes a run's outcome. True when written.
bool ReportRunEvent(const char* source, DWORD eventId, const std::vector<std::string>& strings);

#endif
