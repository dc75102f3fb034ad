// The system's own wording of an error code, for the viewer's messages.
#ifndef TARN_SYSTEM_ERROR_H
#define TARN_SYSTEM_ERROR_H

#include <windows.h>

#include <string>

// "The system cannot find the path specified. (error 3)"
std::string SystemErrorText(DWORD code);

#endif
