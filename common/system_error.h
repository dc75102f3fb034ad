// The system's own wording of an error code, for messages of the programs and the viewer.
#ifndef TARN_SYSTEM_ERROR_H
#define TARN_SYSTEM_ERROR_H

#include <windows.h>

#include <string>

// "The system cannot find the path specified"; "error 3" where the system has no words.
std::string SystemErrorWords(DWORD code);

// "The system cannot find the path specified. (error 3)", with the number always.
std::string SystemErrorText(DWORD code);

#endif
