// Copies of the resource and bridge stand-ins planted where the programs must never load a
// library from: the folder a program is started in, a folder first on PATH and the root of the
// drive it is started on. Every stand-in whose code runs writes its path to a mark file
// (external/load_mark.cpp); a copy of the bridge stands in for a planted nnotes.dll, so that
// its code, too, says when it ran.
#ifndef TARN_PLANTED_LIBRARIES_H
#define TARN_PLANTED_LIBRARIES_H

#include "process.h"

#include <string>
#include <vector>

class PlantedLibraries {
  public:
    explicit PlantedLibraries(const std::string& testName);
    // Takes away the nnotes.dll planted at the drive's root.
    ~PlantedLibraries();
    PlantedLibraries(const PlantedLibraries&) = delete;
    PlantedLibraries& operator=(const PlantedLibraries&) = delete;

    // Starts the program in one planted folder, with the other first on PATH, and has every
    // stand-in that runs note it in the mark file.
    void Apply(driver::LaunchOptions& options) const;
    // The stand-ins whose code ran, each a full path, in the order they ran.
    std::vector<std::string> CodeRan() const;
    // text with each "~" made the drive of the folder the program starts in (C:) and each "@"
    // that folder without its drive (\...\folder): paths relative to where the program stands.
    std::string Placed(std::string text) const;

  private:
    std::string currentDir_;
    std::string pathDir_;
    std::string markFile_;
    std::string driveRootLibrary_;
};

#endif
