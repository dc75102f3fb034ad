// A program under test, started as a person would start it, and ended when the test is done.
#ifndef TARN_DRIVER_PROCESS_H
#define TARN_DRIVER_PROCESS_H

#include "environment_block.h"
#include "handle.h"
#include "timing.h"

#include <windows.h>

#include <optional>
#include <string>

namespace driver {

struct LaunchOptions {
    std::string arguments;        // the command line after the program's quoted name
    std::string workingDirectory; // empty: the test's own
    EnvironmentChanges environment;
    bool recordEvents = false;

    LaunchOptions& Arguments(std::string text);
    LaunchOptions& WorkingDirectory(std::string folder);
    LaunchOptions& SetEnvironment(const std::string& name, std::string value);
    LaunchOptions& RemoveEnvironment(const std::string& name);
    // Has Wine write the program's Application log events, with its process id, to the debug
    // output that the test bed keeps (tests/support/run_events.h).
    LaunchOptions& RecordEvents();
};

class Process {
  public:
    Process() = default;
    ~Process(); // a program still running is killed
    Process(Process&&) = default;
    Process& operator=(Process&& other) noexcept; // kills the program it held

    // Starts program (a full Windows path) with the options. On failure the test fails with
    // the reason and false is returned.
    bool Start(const std::string& program, const LaunchOptions& options = LaunchOptions());

    DWORD Id() const { return id_; }
    HANDLE NativeHandle() const { return process_.Get(); }
    const std::string& Program() const { return program_; }
    bool RecordsEvents() const { return recordsEvents_; }
    bool IsRunning() const;

    // Waits for the program to end; false when it is still running after timeoutMs.
    bool WaitForExit(DWORD timeoutMs = kExitTimeoutMs);
    // The exit code once the program has ended; std::nullopt while it runs or if never started.
    std::optional<DWORD> ExitCode() const;
    // Ends the program at once, if it runs, and waits until it is gone.
    void Kill();

  private:
    Handle process_;
    DWORD id_ = 0;
    std::string program_;
    bool recordsEvents_ = false;
};

} // namespace driver

#endif
