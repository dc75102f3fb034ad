#include "process.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace driver {

LaunchOptions& LaunchOptions::Arguments(std::string text) {
    arguments = std::move(text);
    return *this;
}

LaunchOptions& LaunchOptions::WorkingDirectory(std::string folder) {
    workingDirectory = std::move(folder);
    return *this;
}

LaunchOptions& LaunchOptions::SetEnvironment(const std::string& name, std::string value) {
    environment[name] = std::move(value);
    return *this;
}

LaunchOptions& LaunchOptions::RemoveEnvironment(const std::string& name) {
    environment[name] = std::nullopt;
    return *this;
}

LaunchOptions& LaunchOptions::RecordEvents() {
    recordEvents = true;
    return SetEnvironment("WINEDEBUG", "-all,+pid,+eventlog,fixme+advapi");
}

Process::~Process() {
    Kill();
}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        Kill();
        process_ = std::move(other.process_);
        id_ = std::exchange(other.id_, 0);
        program_ = std::move(other.program_);
        recordsEvents_ = std::exchange(other.recordsEvents_, false);
    }
    return *this;
}

bool Process::Start(const std::string& program, const LaunchOptions& options) {
    Kill();
    program_ = program;
    recordsEvents_ = options.recordEvents;
    std::string commandLine = "\"" + program + "\"";
    if (!options.arguments.empty())
        commandLine += " " + options.arguments;
    std::vector<char> writableCommandLine(commandLine.begin(), commandLine.end());
    writableCommandLine.push_back('\0');
    std::string environment =
        EnvironmentBlock(ApplyEnvironmentChanges(CurrentEnvironment(), options.environment));

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    // On a loaded machine Wine now and then fails a process creation with an internal error
    // that a second attempt does not meet; any other error fails at once.
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (CreateProcessA(program.c_str(), writableCommandLine.data(), nullptr, nullptr, FALSE, 0,
                           environment.data(),
                           options.workingDirectory.empty() ? nullptr
                                                            : options.workingDirectory.c_str(),
                           &startup, &started)) {
            error = ERROR_SUCCESS;
            break;
        }
        error = GetLastError();
        if (error != ERROR_INTERNAL_ERROR)
            break;
        Sleep(200);
    }
    if (error != ERROR_SUCCESS) {
        ADD_FAILURE() << "could not start " << commandLine << " in folder \""
                      << options.workingDirectory << "\": error " << error;
        return false;
    }
    CloseHandle(started.hThread);
    process_.Reset(started.hProcess);
    id_ = started.dwProcessId;
    return true;
}

bool Process::IsRunning() const {
    return process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT;
}

bool Process::WaitForExit(DWORD timeoutMs) {
    return process_ && WaitForSingleObject(process_.Get(), timeoutMs) == WAIT_OBJECT_0;
}

std::optional<DWORD> Process::ExitCode() const {
    DWORD code = 0;
    if (!process_ || IsRunning() || !GetExitCodeProcess(process_.Get(), &code))
        return std::nullopt;
    return code;
}

void Process::Kill() {
    if (IsRunning()) {
        TerminateProcess(process_.Get(), 0xDEAD);
        WaitForSingleObject(process_.Get(), kExitTimeoutMs);
    }
}

} // namespace driver
