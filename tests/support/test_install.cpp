#include "test_install.h"

#include "test_files.h"

#include <windows.h>

ProgramFolder MakeProgramFolder(const std::string& testName, const std::string& exeName,
                                const std::string& bridge, bool withResources) {
    ProgramFolder folder;
    folder.dir = FreshTestDir(testName + "-program");
    const std::string bin = driver::BinDir();
    folder.exe = folder.dir + "\\" + exeName;
    CopyTestFile(bin + "\\" + exeName, folder.exe);
    if (withResources)
        CopyTestFile(bin + "\\tarnlang.dll", folder.dir + "\\tarnlang.dll");
    if (!bridge.empty())
        CopyTestFile(bin + "\\" + bridge, folder.dir + "\\tarnhook.dll");
    folder.bridgeLog = folder.dir + "\\bridge.log";
    return folder;
}

NotesInstall MakeNotesInstall(const std::string& testName, const std::string& notesIniBody,
                              const std::string& nnotes) {
    NotesInstall notes;
    notes.programDir = FreshTestDir(testName + "-notes");
    notes.dataDir = notes.programDir + "\\Data";
    CreateDirectoryA(notes.dataDir.c_str(), nullptr);
    notes.dllPath = notes.programDir + "\\nnotes.dll";
    CopyTestFile(driver::BinDir() + "\\" + nnotes, notes.dllPath);
    notes.iniPath = notes.programDir + "\\notes.ini";
    WriteWholeFile(notes.iniPath, notesIniBody.empty()
                                      ? "[Notes]\r\nDirectory=" + notes.dataDir + "\r\n"
                                      : notesIniBody);
    return notes;
}
