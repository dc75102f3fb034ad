// The application base: one global object per program whose start-up hook runs the whole
// job. There is no message loop of its own (the waits of the job answer their windows'
// messages): after the start-up hook the exit hook runs and the process ends.
#ifndef TARN_APP_BASE_H
#define TARN_APP_BASE_H

#include <windows.h>

#include <string>

class ApplicationBase {
  public:
    ApplicationBase();
    virtual ~ApplicationBase();
    ApplicationBase(const ApplicationBase&) = delete;
    ApplicationBase& operator=(const ApplicationBase&) = delete;

    // Runs the start-up and the exit hook; returns the process exit status.
    int Run(HINSTANCE instance, const char* commandLine);

    HINSTANCE Instance() const { return instance_; }
    // The command-line text after the program's name and the blanks behind it.
    const std::string& CommandLine() const { return commandLine_; }

    // The program's one application object.
    static ApplicationBase* Current();

  protected:
    // Does the program's job. Returning false ends the program.
    virtual bool InitInstance() = 0;
    // Releases what the program holds; the result is the process exit status.
    virtual int ExitInstance() { return 0; }
    // True when a thread of the program may still wait inside a library once the exit hook
    // has run (a reader of a directory server that fell silent): the process then ends at
    // once, without the libraries' detach.
    virtual bool LeavesThreadInLibrary() const { return false; }

  private:
    HINSTANCE instance_ = nullptr;
    std::string commandLine_;
};

// The entry point's body: runs the program's application object.
int RunCurrentApplication(HINSTANCE instance);

#endif
