#include "setup_paths.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Cut(const char* value) {
    char buffer[260];
    std::strcpy(buffer, value);
    CutNotesDirectory(buffer);
    return buffer;
}

TEST(NotesDirectory, ADataFolderIsCutToItsParent) {
    EXPECT_EQ(Cut("C:\\Lotus\\Notes\\Data"), "C:\\Lotus\\Notes");
    EXPECT_EQ(Cut("C:\\Lotus\\Notes\\Data\\"), "C:\\Lotus\\Notes\\Data");
    EXPECT_EQ(Cut("\\\\server\\share\\notes"), "\\\\server\\share");
}

TEST(NotesDirectory, AValueWithOneBackslashOrNoneStaysWhole) {
    EXPECT_EQ(Cut("D:\\NotesData"), "D:\\NotesData");
    EXPECT_EQ(Cut("\\Data"), "\\Data");
    EXPECT_EQ(Cut("Data"), "Data");
    EXPECT_EQ(Cut(""), "");
}

std::vector<std::string> Split(const std::string& buffer) {
    return SelectedFilePaths(buffer.data(), buffer.size());
}

TEST(DatabaseSelection, OneChosenFileComesBackAsItsFullPath) {
    EXPECT_EQ(Split(std::string("C:\\Notes\\Data\\mail.nsf\0\0", 24)),
              (std::vector<std::string>{"C:\\Notes\\Data\\mail.nsf"}));
}

TEST(DatabaseSelection, SeveralFilesAreJoinedToTheirFolderInDialogOrder) {
    const std::string buffer("C:\\Notes\\Data\0b.nsf\0a.nsf\0c d.nsf\0\0", 35);
    EXPECT_EQ(Split(buffer),
              (std::vector<std::string>{"C:\\Notes\\Data\\b.nsf", "C:\\Notes\\Data\\a.nsf",
                                        "C:\\Notes\\Data\\c d.nsf"}));
}

TEST(DatabaseSelection, AFolderEndingInABackslashGetsNoSecondOne) {
    const std::string buffer("C:\\\0a.nsf\0b.nsf\0\0", 17);
    EXPECT_EQ(Split(buffer), (std::vector<std::string>{"C:\\a.nsf", "C:\\b.nsf"}));
}

TEST(DatabaseSelection, NothingChosenGivesNoPath) {
    EXPECT_TRUE(Split(std::string(16, '\0')).empty());
    EXPECT_TRUE(SelectedFilePaths(nullptr, 0).empty());
}

TEST(DatabaseSelection, AListWithoutItsClosingNullEndsAtTheBuffersEnd) {
    // Exactly the characters, no terminator: nothing may be read beyond them.
    const std::vector<char> full = {'C', ':', '\\', 'D', '\0', 'x', '.', 'n', 's', 'f'};
    EXPECT_EQ(SelectedFilePaths(full.data(), full.size()),
              (std::vector<std::string>{"C:\\D\\x.nsf"}));
}

} // namespace
