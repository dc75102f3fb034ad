// Reads one file of a publication's folder, bounded in time: a share that does not answer can
// hold CreateFile or ReadFile for minutes, so the read runs on a thread of its own that owns its
// path and its buffer, and is left behind after its bound.
#ifndef TARN_FOLDER_READ_H
#define TARN_FOLDER_READ_H

#include <string>

// The longest a publication's file may be: far beyond any directory's snapshot.
constexpr unsigned long kMostPublicationFileBytes = 512ul * 1024 * 1024;
// The longest a manifest may be: a thousand differences take about 130 KB.
constexpr unsigned long kMostManifestBytes = 1024ul * 1024;

// The whole of file name in folder (UTF-8, a fully qualified folder) into bytes within seconds.
// False, with why (the file's name and the system's words), where it cannot be opened or read,
// is longer than most bytes, or the bound passed.
bool ReadFolderFile(const std::string& folder, const std::string& name, unsigned seconds,
                    unsigned long most, std::string& bytes, std::string& why);

#endif
