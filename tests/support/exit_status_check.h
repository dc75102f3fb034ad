// The exit status a program under test ended with, against the one its scripts would expect.
#ifndef TARN_EXIT_STATUS_CHECK_H
#define TARN_EXIT_STATUS_CHECK_H

#include "exit_status.h"
#include "process.h"

#include <gtest/gtest.h>

inline ::testing::AssertionResult EndedWith(const driver::Process& process, int expected) {
    const std::optional<DWORD> code = process.ExitCode();
    if (!code)
        return ::testing::AssertionFailure()
               << "the program has not ended; expected exit status " << expected;
    if (*code != static_cast<DWORD>(expected))
        return ::testing::AssertionFailure()
               << "exit status " << *code << ", expected " << expected;
    return ::testing::AssertionSuccess();
}

#endif
