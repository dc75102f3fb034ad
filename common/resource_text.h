// The resource library as the source of every text and dialog template.
#ifndef TARN_RESOURCE_TEXT_H
#define TARN_RESOURCE_TEXT_H

#include <windows.h>

#include <string>

void SetResourceModule(HINSTANCE module);
HINSTANCE GetResourceModule();

// The text with this identifier from the resource module; empty when it has none.
std::string LoadResourceText(UINT id);

// The text with this identifier used as a format for its one string argument.
std::string FormatResourceText(UINT id, const std::string& arg);

#endif
