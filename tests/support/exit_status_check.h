// The exit status a program under test ended with, against the one its scripts would expect,
// and the one event in the Application log that the run left.
#ifndef TARN_EXIT_STATUS_CHECK_H
#define TARN_EXIT_STATUS_CHECK_H

#include "exit_status.h"
#include "process.h"
#include "run_events.h"

#include <gtest/gtest.h>

inline ::testing::AssertionResult EndedWith(const driver::Process& process, int expected) {
    const std::optional<DWORD> code = process.ExitCode();
    if (!code)
        return ::testing::AssertionFailure()
               << "the program has not ended; expected exit status " << expected;
    if (*code != static_cast<DWORD>(expected))
        return ::testing::AssertionFailure()
               << "exit status " << *code << ", expected " << expected;
    // Every run leaves one event in the Application log, of the type its outcome stands for.
    if (!process.RecordsEvents())
        return ::testing::AssertionSuccess();
    LoggedEvent event;
    const ::testing::AssertionResult one = LeftOneEvent(process, event);
    if (!one)
        return one;
    const WORD type = EventTypeForExit(process.Program(), expected);
    if (type != 0 && event.type != type)
        return ::testing::AssertionFailure() << "event type " << event.type << ", expected " << type
                                             << " for exit status " << expected;
    return ::testing::AssertionSuccess();
}

#endif
