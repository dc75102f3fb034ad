// The command line of the trace viewer TARNTRACE.
#ifndef TARN_VIEWER_OPTIONS_H
#define TARN_VIEWER_OPTIONS_H

#include <string>
#include <vector>

struct ViewerOptions {
    std::string file;        // --file PATH: also append every shown line to this file
    bool onlyErrors = false; // --only red: show error lines only
    bool help = false;       // --help, -h, /?: print the usage and end
};

extern const char kViewerUsage[];

// Reads the arguments after the program's name. Returns 1 with the options filled, or 0
// with error naming what was wrong.
int ParseViewerOptions(const std::vector<std::string>& arguments, ViewerOptions& options,
                       std::string& error);

#endif
