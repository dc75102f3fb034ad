#include "set_bind_password.h"

bool IsSetBindPasswordCommand(const std::string& commandLine) {
    static const std::string kSwitch = "/setbindpassword";
    if (commandLine.compare(0, kSwitch.size(), kSwitch) != 0)
        return false;
    return commandLine.find_first_not_of(" \t", kSwitch.size()) == std::string::npos;
}
