// The resource library as the source of every text and dialog template.
#ifndef TARN_RESOURCE_TEXT_H
#define TARN_RESOURCE_TEXT_H

#include <windows.h>

#include <string>

// The resource library's file name; it is loaded from the programs' own folder only.
constexpr const char kResourceLibraryName[] = "tarnlang.dll";

void SetResourceModule(HINSTANCE module);
HINSTANCE GetResourceModule();

// The text with this identifier from the resource module; empty when it has none.
std::string LoadResourceText(UINT id);

// The text with this identifier used as a format for its one string argument.
std::string FormatResourceText(UINT id, const std::string& arg);

#endif
