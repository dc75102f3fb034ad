// Where the viewer writes the lines it shows: the console, in the colour of each line's
// class (plain text when the output is a file or a pipe), and optionally a file.
#ifndef TARN_LINE_OUTPUT_H
#define TARN_LINE_OUTPUT_H

#include "viewer_line.h"
#include "win_handles.h"

#include <windows.h>

#include <string>

class LineOutput {
  public:
    LineOutput();
    LineOutput(const LineOutput&) = delete;
    LineOutput& operator=(const LineOutput&) = delete;

    // Opens path for appending, shared with readers and other writers. 0 with the reason.
    int OpenFile(const std::string& path, std::string& error);
    void Write(LineClass lineClass, const std::string& line);

  private:
    HANDLE console_;
    bool isConsole_ = false;
    WORD plainAttributes_ = FOREGROUND_RED | FOREGROUND_GREEN | FOREGROUND_BLUE;
    KernelHandle file_;
};

#endif
