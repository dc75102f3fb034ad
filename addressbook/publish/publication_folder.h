// The publication's folder as the publisher writes it: every file under a new name and flushed
// first, then moved into its place in one step; the files no manifest names removed only after
// the new manifest is in place; one publisher at a time. Paths are UTF-8.
#ifndef TARN_PUBLICATION_FOLDER_H
#define TARN_PUBLICATION_FOLDER_H

#include "win_handles.h"

#include <string>
#include <vector>

// The lock file that keeps a second publisher out of the folder.
constexpr char kPublishLockName[] = "publish.lock";

// Writes bytes to folder\name: under name + ".new", flushed to the disk, then moved over name
// in one step. False, with the system's words, where any step fails (name is then untouched).
bool WritePublicationFile(const std::string& folder, const std::string& name,
                          const std::string& bytes, std::string& why);

// Removes the publication's files and leftovers of folder that keep does not name; returns the
// names removed.
std::vector<std::string> RemoveUnnamedFiles(const std::string& folder,
                                            const std::vector<std::string>& keep);

// The folder's lock, held while the object lives.
class PublicationLock {
  public:
    enum class Outcome { Held, Busy, Failed };
    Outcome Take(const std::string& folder, std::string& why);

  private:
    KernelHandle file_;
};

#endif
