// Whole-text writes of the call log and the address book file.
#ifndef TARNHOOK_FILE_IO_H
#define TARNHOOK_FILE_IO_H

#include <string>

namespace tarnhook {

// Appends text in one write, creating the file when it is missing; a file that is new or
// empty gets headerWhenEmpty first. Returns false when the file cannot be opened or written.
bool AppendToFile(const std::string& path, const std::string& text,
                  const std::string& headerWhenEmpty = std::string());

// Creates or truncates the file and writes text into it.
bool WriteWholeFile(const std::string& path, const std::string& text);

} // namespace tarnhook

#endif
