#include "setup_command.h"

namespace {
bool Holds(const std::string& commandLine, const char* sw) {
    return commandLine.find(sw) != std::string::npos;
}
} // namespace

SetupCommand ParseSetupCommand(const std::string& commandLine) {
    if (Holds(commandLine, "-s"))
        return {SetupOperation::ServerInstall, 0};
    if (Holds(commandLine, "-u"))
        return {SetupOperation::Uninstall, 0};
    return {SetupOperation::Install, Holds(commandLine, "-i") ? 1 : 0};
}

int ServerInstallFlag(int option) {
    switch (option) {
    case 0:
        return 1;
    case 1:
        return 0;
    default:
        return -1;
    }
}
