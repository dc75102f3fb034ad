// The command line: the text after the program's name is found within the line, whatever
// its bytes, and the setup program's switches are read from it alike.
#include "command_line.h"
#include "fuzz_check.h"
#include "setup_command.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string LeftTrimmed(const std::string& text) {
    std::size_t begin = 0;
    while (begin < text.size() && IsBlankOrControl(text[begin]))
        ++begin;
    return text.substr(begin);
}

// The tail of a command line held in a buffer of exactly its size.
std::string Tail(const std::string& commandLine) {
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    const char* tail = CommandLineTail(buffer.data());
    FUZZ_CHECK(tail >= buffer.data() && tail < buffer.data() + buffer.size());
    FUZZ_CHECK(*tail == '\0' || !IsBlankOrControl(*tail));
    return tail;
}

bool SameCommand(const SetupCommand& a, const SetupCommand& b) {
    return a.operation == b.operation && a.installFlag == b.installFlag;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> fields = FuzzFields(data, size, 2);
    const std::string name = UpToNull(fields[0]);
    const std::string args = UpToNull(fields[1]);

    Tail(UpToNull(std::string(reinterpret_cast<const char*>(data), size)));
    // Whatever the arguments hold, they come back behind a quoted or a plain name.
    if (name.find('"') == std::string::npos)
        FUZZ_CHECK(Tail("\"" + name + "\"" + args) == LeftTrimmed(args));
    if (!name.empty() && name[0] != '"' && std::none_of(name.begin(), name.end(), IsBlankOrControl))
        FUZZ_CHECK(Tail(name + " " + args) == LeftTrimmed(args));

    // A switch is two characters side by side: blanks around the line change nothing, and
    // "-s" anywhere wins over "-u", which wins over the install.
    const SetupCommand command = ParseSetupCommand(args);
    FUZZ_CHECK(SameCommand(ParseSetupCommand(" " + args + " "), command));
    FUZZ_CHECK(command.installFlag == 0 || command.operation == SetupOperation::Install);
    FUZZ_CHECK(ParseSetupCommand(args + " -s").operation == SetupOperation::ServerInstall);
    if (command.operation != SetupOperation::ServerInstall)
        FUZZ_CHECK(ParseSetupCommand(args + " -u").operation == SetupOperation::Uninstall);
    if (command.operation == SetupOperation::Install)
        FUZZ_CHECK(ParseSetupCommand(args + " -i").installFlag == 1);

    int option = 0;
    std::memcpy(&option, data, std::min(size, sizeof option));
    const int flag = ServerInstallFlag(option);
    FUZZ_CHECK(flag == -1 || flag == 0 || flag == 1);
    return 0;
}
