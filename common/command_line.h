// Reading the command line the way the programs' start-up does.
#ifndef TARN_COMMAND_LINE_H
#define TARN_COMMAND_LINE_H

// The text after the program's own name: the name ends at its closing double quote when it
// is quoted, else at the first blank or control character; the blanks and control
// characters behind it are skipped as well. Returns a pointer into commandLine.
const char* CommandLineTail(const char* commandLine);
const wchar_t* CommandLineTail(const wchar_t* commandLine);

#endif
