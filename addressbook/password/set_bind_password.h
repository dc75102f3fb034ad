// The command line that stores the bind password instead of downloading.
#ifndef TARN_SET_BIND_PASSWORD_H
#define TARN_SET_BIND_PASSWORD_H

#include <string>

// True for "/setbindpassword" alone, with any blanks behind it (a shell leaves those where it
// took out a redirection); any other text keeps meaning interactive mode.
bool IsSetBindPasswordCommand(const std::string& commandLine);

// Reads the bind password from standard input where a script feeds it, else in the password
// dialog, and stores it encrypted; tells the person or the script what came of it, and keeps
// that text in told. 1 when the password was stored, 0 when nothing was.
int StoreBindPasswordFromUser(std::string& told);

#endif
