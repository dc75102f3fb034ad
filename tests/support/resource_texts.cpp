#include "resource_texts.h"

#include "resource_text.h"
#include "test_files.h"

#include <gtest/gtest.h>

namespace {
// The bin folder's tarnlang.dll as the resource module of the test process.
void UseResourceLibrary() {
    static const HMODULE library = LoadLibraryA((driver::BinDir() + "\\tarnlang.dll").c_str());
    if (!library)
        ADD_FAILURE() << "cannot load tarnlang.dll from " << driver::BinDir();
    SetResourceModule(library);
}
} // namespace

std::string ResourceText(unsigned id) {
    UseResourceLibrary();
    const std::string text = LoadResourceText(id);
    if (text.empty())
        ADD_FAILURE() << "the resource library has no text " << id;
    return text;
}

std::string ResourceText(unsigned id, const std::string& arg) {
    UseResourceLibrary();
    return FormatResourceText(id, arg);
}
