// TARNBOOK -publish FOLDER: exactly the word -publish, blanks, then a fully qualified folder (a
// drive or UNC path), in double quotes or not; blanks behind it do not count. Platform-free.
#ifndef TARN_PUBLISH_COMMAND_H
#define TARN_PUBLISH_COMMAND_H

#include <string>

// True, with the folder, for such a command line (the text after the program's name, UTF-8);
// false for any other, which keeps its meaning.
bool ParsePublishCommand(const std::string& arguments, std::string& folder);

#endif
