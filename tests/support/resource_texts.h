// The resource library's texts as the programs show them, for comparing with what a test
// reads off the screen or the trace.
#ifndef TARN_RESOURCE_TEXTS_H
#define TARN_RESOURCE_TEXTS_H

#include <string>

std::string ResourceText(unsigned id);
// The text used as a format for its one string argument.
std::string ResourceText(unsigned id, const std::string& arg);

#endif
