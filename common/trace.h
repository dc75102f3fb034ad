// The trace client: each line goes to a running trace viewer and, when the user asked for
// one, to a time-stamped trace file. Settings are read afresh on every call.
#ifndef TARN_TRACE_H
#define TARN_TRACE_H

#include <windows.h>

#include "trace_format.h"

#include <string>
#include <vector>

void Trace(const char* text, DWORD colour);

// Each text as a red line, in order: what a reader of the settings refused.
void TraceEachRed(const std::vector<std::string>& texts);

// printf-style, always red; a text needing more than 511 characters is not traced.
void TraceError(const char* format, ...);

// Drops the first cut bytes of an open file by moving the rest forward.
void TrimTraceFile(HANDLE file, DWORD cut);

#endif
