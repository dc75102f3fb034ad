// Paths the setup program builds: the Notes program directory from the notes.ini
// Directory value, and the databases chosen in the server install's file dialog.
#ifndef TARN_SETUP_PATHS_H
#define TARN_SETUP_PATHS_H

#include <cstddef>
#include <string>
#include <vector>

// Cuts a Directory value at its last backslash when it holds more than one (its first and
// last backslash differ): C:\Lotus\Notes\Data becomes C:\Lotus\Notes. A value with one
// backslash or none stays whole.
void CutNotesDirectory(char* directory);

// The full paths of the files an open-file dialog with several-file selection returned in
// buffer (size characters): the folder and then each file name, each ended by a null and
// the list by a second null, or a single full path. Names are joined to the folder with
// one backslash, in the order the dialog lists them. A list without its closing null ends
// at the end of the buffer.
std::vector<std::string> SelectedFilePaths(const char* buffer, std::size_t size);

#endif
