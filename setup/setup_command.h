// The setup program's command line: which operation runs, and the install flag.
#ifndef TARN_SETUP_COMMAND_H
#define TARN_SETUP_COMMAND_H

#include <string>

enum class SetupOperation {
    Install,
    Uninstall,
    ServerInstall,
};

struct SetupCommand {
    SetupOperation operation;
    int installFlag; // 1 when the install runs with "-i", else 0
};

// Each switch counts wherever its two characters occur in the command line, also inside a
// word or a path, in exactly that letter case: "-s" wins over "-u", which wins over the
// install; "-i" only sets the install flag.
SetupCommand ParseSetupCommand(const std::string& commandLine);

// The flag the server install passes to the bridge for the option dialog's choice: 1 for
// the first button, 0 for the second; -1 (nothing to run) for any other option.
int ServerInstallFlag(int option);

#endif
