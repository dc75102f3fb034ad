// The environment a started program gets: the test's own, with some variables set or removed.
#ifndef TARN_DRIVER_ENVIRONMENT_BLOCK_H
#define TARN_DRIVER_ENVIRONMENT_BLOCK_H

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace driver {

// Orders variable names as Windows does: without regard to letter case.
struct NameLess {
    bool operator()(const std::string& a, const std::string& b) const;
};

// Name -> new value; std::nullopt removes the variable.
using EnvironmentChanges = std::map<std::string, std::optional<std::string>, NameLess>;

// "NAME=value" entries of `inherited` with `changes` applied, sorted by name without regard
// to case. Entries that begin with '=' (the per-drive folders) are kept as they are.
std::vector<std::string> ApplyEnvironmentChanges(const std::vector<std::string>& inherited,
                                                 const EnvironmentChanges& changes);

// The entries as one block for CreateProcess: each NUL-terminated, one more NUL at the end.
std::string EnvironmentBlock(const std::vector<std::string>& entries);

// The entries of the calling process's own environment.
std::vector<std::string> CurrentEnvironment();

} // namespace driver

#endif
