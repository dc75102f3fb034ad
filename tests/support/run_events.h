// The Application log events of a program under test. Wine writes each event to its debug
// output: the call (type, category, id) on advapi's "fixme" channel as ReportEventA, which the
// programs call, then each string on "eventlog", errors as err, warnings as warn, the rest as
// trace. A program started with LaunchOptions::RecordEvents writes them, each line headed by
// its process id, to the standard error that the test bed keeps in a file (TARN_WINE_STDERR,
// tests/fixtures/wine-run.sh).
#ifndef TARN_RUN_EVENTS_H
#define TARN_RUN_EVENTS_H

#include "process.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

struct LoggedEvent {
    WORD type = 0;            // EVENTLOG_ERROR_TYPE, _WARNING_TYPE, _INFORMATION_TYPE
    DWORD id = 0;             // the full message id
    std::string channelClass; // "err", "warn" or "trace": how Wine wrote the strings
    std::vector<std::string> strings;
};

// The events that the process with this id wrote.
std::vector<LoggedEvent> ReadRunEvents(DWORD processId);

// The one event of an ended program; fails unless there is exactly one.
::testing::AssertionResult LeftOneEvent(const driver::Process& process, LoggedEvent& event);

// The event type that a program's exit status stands for. 0 where the status allows more than
// one (TARNBOOK's 1: a cancelled dialog is information, a failure before the book was emptied
// a warning).
WORD EventTypeForExit(const std::string& program, int status);

#endif
