#include "viewer_options.h"

const char kViewerUsage[] =
    "Usage: TARNTRACE [--file PATH] [--only red]\n"
    "Shows the trace lines of the Voxtarion Desktop programs as they arrive, each with its\n"
    "time: errors in red, progress in blue, the rest plain. Ends on Ctrl+C.\n"
    "  --file PATH   also append the lines shown to the file PATH\n"
    "  --only red    show only error lines\n"
    "  --help        show this text\n";

int ParseViewerOptions(const std::vector<std::string>& arguments, ViewerOptions& options,
                       std::string& error) {
    options = ViewerOptions();
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (argument == "--help" || argument == "-h" || argument == "/?") {
            options.help = true;
        } else if (argument == "--file") {
            if (!hasValue || arguments[i + 1].empty()) {
                error = "--file needs the path of a file";
                return 0;
            }
            if (!options.file.empty()) {
                error = "--file is given twice";
                return 0;
            }
            options.file = arguments[++i];
        } else if (argument == "--only") {
            if (!hasValue || arguments[i + 1] != "red") {
                error = "--only takes one colour: red";
                return 0;
            }
            options.onlyErrors = true;
            ++i;
        } else {
            error = "unknown argument: " + argument;
            return 0;
        }
    }
    return 1;
}
