// The trace viewer's command line and how it sorts and writes a line.
#include "viewer_line.h"
#include "viewer_options.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(TarntraceLine, EachColourFallsInItsClassAndUnknownColoursCountAsErrors) {
    const struct {
        std::uint32_t colour;
        LineClass expected;
    } cases[] = {
        {0x0000FF, LineClass::Error},    {0x00FF00, LineClass::Error},
        {0xFF0001, LineClass::Error},    {0x800000, LineClass::Progress},
        {0xC00000, LineClass::Progress}, {0xFF0000, LineClass::Progress},
        {0x000000, LineClass::Plain},    {0x004080, LineClass::Plain},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClassifyTraceColour(c.colour), c.expected) << std::hex << c.colour;
}

TEST(TarntraceLine, ALineHasTheTimeItsClassAndTheTextOnOneLine) {
    EXPECT_EQ(FormatViewerLine(7, 5, 3, 7, LineClass::Error, "Load Resource dll failed"),
              "07:05:03:007 error    Load Resource dll failed");
    EXPECT_EQ(FormatViewerLine(23, 59, 59, 999, LineClass::Progress, "a\r\nb\tc"),
              "23:59:59:999 progress a  b c");
    EXPECT_EQ(FormatViewerLine(0, 0, 0, 0, LineClass::Plain, ""), "00:00:00:000 info     ");
}

TEST(TarntraceLine, ARecordIsReadUpToItsTerminatorAndNeverPastItsByteCount) {
    EXPECT_EQ(RecordText("abc\0def", 8), "abc");
    EXPECT_EQ(RecordText("abcdef", 3), "abc");
    EXPECT_EQ(RecordText(nullptr, 5), "");
}

TEST(TarntraceOptions, GoodCommandLinesAreTakenAndBadOnesNamed) {
    const struct {
        std::vector<std::string> arguments;
        int result;
        std::string file;
        bool onlyErrors;
        std::string error;
    } cases[] = {
        {{}, 1, "", false, ""},
        {{"--file", "C:\\t.log", "--only", "red"}, 1, "C:\\t.log", true, ""},
        {{"--only", "blue"}, 0, "", false, "--only takes one colour: red"},
        {{"--only"}, 0, "", false, "--only takes one colour: red"},
        {{"--file"}, 0, "", false, "--file needs the path of a file"},
        {{"--file", "a", "--file", "b"}, 0, "", false, "--file is given twice"},
        {{"-x"}, 0, "", false, "unknown argument: -x"},
    };
    for (const auto& c : cases) {
        ViewerOptions options;
        std::string error;
        EXPECT_EQ(ParseViewerOptions(c.arguments, options, error), c.result) << c.error;
        EXPECT_EQ(error, c.error);
        if (c.result) {
            EXPECT_EQ(options.file, c.file);
            EXPECT_EQ(options.onlyErrors, c.onlyErrors);
        }
    }
    ViewerOptions options;
    std::string error;
    EXPECT_EQ(ParseViewerOptions({"/?"}, options, error), 1);
    EXPECT_TRUE(options.help);
}
