// A folder named in a setting or on the command line, as the published book takes it.
// Platform-free.
#ifndef TARN_FOLDER_PATH_H
#define TARN_FOLDER_PATH_H

#include <string>

// A drive path (X:\...) or a UNC path (\\server\share...), nothing relative to a current
// folder or drive.
bool IsFullyQualifiedFolder(const std::string& folder);

#endif
