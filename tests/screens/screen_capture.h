// Pictures of windows, taken by tools/screenshots.sh on request: the scene writes the
// window's name and screen rectangle into TARN_SHOTS_DIR\request and waits for the script's
// answer, the file done.
#ifndef TARN_SCREEN_CAPTURE_H
#define TARN_SCREEN_CAPTURE_H

#include <windows.h>

#include <string>

// Waits until the window has been visible and unchanged for a moment, then has it pictured
// as <name>.png. Fails the scene when the window is gone or no picture comes.
void Capture(const std::string& name, HWND window);

// Sends a signal to a Linux process (the directory server): STOP holds it, CONT lets it go on.
void SignalServer(const char* signal);

#endif
