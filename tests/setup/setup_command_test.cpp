#include "setup_command.h"

#include <gtest/gtest.h>

namespace {

const char* Name(SetupOperation operation) {
    switch (operation) {
    case SetupOperation::Install:
        return "install";
    case SetupOperation::Uninstall:
        return "uninstall";
    case SetupOperation::ServerInstall:
        return "server install";
    }
    return "?";
}

struct CommandCase {
    const char* commandLine;
    SetupOperation operation;
    int installFlag;
};

TEST(SetupCommandLine, EachCommandLineRunsItsOperation) {
    const CommandCase cases[] = {
        {"", SetupOperation::Install, 0},
        {"-i", SetupOperation::Install, 1},
        {"-u -s", SetupOperation::ServerInstall, 0},
        {"-s -u", SetupOperation::ServerInstall, 0},
        {"-i -u", SetupOperation::Uninstall, 0},
        {"-u", SetupOperation::Uninstall, 0},
        {"-s", SetupOperation::ServerInstall, 0},
        // A switch counts wherever its two characters occur, in their letter case only.
        {"-silent", SetupOperation::ServerInstall, 0},
        {"-U", SetupOperation::Install, 0},
        {"-S -I", SetupOperation::Install, 0},
        {"/s", SetupOperation::Install, 0},
        {"/u /i", SetupOperation::Install, 0},
        {"C:\\my-updates\\x", SetupOperation::Uninstall, 0},
        {"--install", SetupOperation::Install, 1},
    };
    for (const CommandCase& c : cases) {
        const SetupCommand command = ParseSetupCommand(c.commandLine);
        EXPECT_STREQ(Name(command.operation), Name(c.operation))
            << "command line \"" << c.commandLine << "\"";
        EXPECT_EQ(command.installFlag, c.installFlag) << "command line \"" << c.commandLine << "\"";
    }
}

TEST(SetupCommandLine, TheFirstOptionGivesFlagOneAndTheSecondFlagZero) {
    EXPECT_EQ(ServerInstallFlag(0), 1);
    EXPECT_EQ(ServerInstallFlag(1), 0);
}

TEST(SetupCommandLine, NoCheckedOptionRunsNothing) {
    EXPECT_LT(ServerInstallFlag(-1), 0);
    EXPECT_LT(ServerInstallFlag(2), 0);
}

} // namespace
