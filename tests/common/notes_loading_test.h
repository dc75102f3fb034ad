// A test that loads nnotes.dll and may move the current directory: each starts from an
// empty product key and leaves the library unloaded and the directory as it found them.
#ifndef TARN_NOTES_LOADING_TEST_H
#define TARN_NOTES_LOADING_TEST_H

#include "notes_discovery.h"
#include "test_files.h"
#include "test_registry.h"

#include <gtest/gtest.h>

#include <string>

class NotesLoadingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProductRegistry();
        startDir_ = CurrentDirectory();
    }
    void TearDown() override {
        if (g_hNotesDll)
            FreeLibrary(g_hNotesDll);
        g_hNotesDll = nullptr;
        SetCurrentDirectoryA(startDir_.c_str());
        ResetProductRegistry();
    }
    std::string startDir_;
};

#endif
