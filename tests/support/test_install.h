// Program folders and stand-in Notes installations that each end-to-end test builds for
// itself.
#ifndef TARN_TEST_INSTALL_H
#define TARN_TEST_INSTALL_H

#include <string>

// A folder holding one program with its resource library and bridge library; bridge names
// the file in the bin folder that is copied in as tarnhook.dll ("" leaves it out), and
// without resources tarnlang.dll is left out.
struct ProgramFolder {
    std::string dir;
    std::string exe;
    std::string bridgeLog; // where the bridge's call log goes
};
ProgramFolder MakeProgramFolder(const std::string& testName, const std::string& exeName,
                                const std::string& bridge = "tarnhook.dll",
                                bool withResources = true);

// A stand-in Notes installation: a program folder with nnotes.dll, a data folder and a
// notes.ini in the program folder.
struct NotesInstall {
    std::string programDir;
    std::string dataDir;
    std::string iniPath;
    std::string dllPath;
};
NotesInstall MakeNotesInstall(const std::string& testName,
                              const std::string& notesIniBody = std::string(),
                              const std::string& nnotes = "nnotes.dll");

#endif
