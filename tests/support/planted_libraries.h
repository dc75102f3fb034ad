// Copies of the resource and bridge stand-ins planted where the programs must never load a
// library from: the folder a program is started in, and a folder first on PATH. Every
// stand-in whose code runs writes its path to a mark file (external/load_mark.cpp).
#ifndef TARN_PLANTED_LIBRARIES_H
#define TARN_PLANTED_LIBRARIES_H

#include "process.h"

#include <string>
#include <vector>

class PlantedLibraries {
  public:
    explicit PlantedLibraries(const std::string& testName);

    // Starts the program in one planted folder, with the other first on PATH, and has every
    // stand-in that runs note it in the mark file.
    void Apply(driver::LaunchOptions& options) const;
    // The stand-ins whose code ran, each a full path, in the order they ran.
    std::vector<std::string> CodeRan() const;

  private:
    std::string currentDir_;
    std::string pathDir_;
    std::string markFile_;
};

#endif
