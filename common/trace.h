// The trace client: each line goes to a running trace viewer and, when the user asked for
// one, to a time-stamped trace file. Settings are read afresh on every call.
#ifndef TARN_TRACE_H
#define TARN_TRACE_H

#include <windows.h>

#include "trace_format.h"

void Trace(const char* text, DWORD colour);

// printf-style, always red; a text needing more than 511 characters is not traced.
void TraceError(const char* format, ...);

// Drops the first cut bytes of an open file by moving the rest forward.
void TrimTraceFile(HANDLE file, DWORD cut);

#endif
