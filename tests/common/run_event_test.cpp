#include "run_event.h"

#include "trace_viewer.h"

#include <gtest/gtest.h>

namespace {

TEST(RunEvent, AnUnregisteredSourceIsNamedInBlueAndTheEventIsStillWritten) {
    driver::TraceViewer viewer;
    ASSERT_TRUE(viewer);
    // The test bed registers the programs' sources as the packages do; this one it does not.
    EXPECT_TRUE(ReportRunEvent("TARNBOOK", 0x400003E8, {"1", "2", "host:389", "o=Example"}));
    EXPECT_TRUE(viewer.Lines().empty()) << "a registered source writes without a word";
    EXPECT_TRUE(ReportRunEvent("TARNUNREGISTERED", 0x400003E8, {}));
    const std::vector<driver::TraceLine> lines = viewer.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].colour, 0xFF0000u);
    EXPECT_NE(lines[0].text.find("TARNUNREGISTERED is not registered"), std::string::npos)
        << lines[0].text;
}

} // namespace
