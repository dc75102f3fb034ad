// Tracing to a file, switched on by a test so that it can read what a routine traced.
#ifndef TARN_TRACE_FILE_H
#define TARN_TRACE_FILE_H

#include <string>
#include <vector>

// Sets the per-user trace settings: all colours, to the file at path.
void TraceToFile(const std::string& path);
// The texts of the file's lines, each without its 15-character time stamp.
std::vector<std::string> TracedTexts(const std::string& path);

#endif
