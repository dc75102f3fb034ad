// Registry values as hand-edited or older configurations leave them: each stored type, at
// the lengths around the 260-byte buffers the programs read them into.
#ifndef TARN_STORED_VALUES_H
#define TARN_STORED_VALUES_H

#include "path_text.h"

#include <windows.h>

#include <cstddef>
#include <string>

struct StoredForm {
    DWORD type;
    const char* name;
};

// Strings are stored without their terminator.
constexpr StoredForm kStoredForms[] = {
    {REG_SZ, "string"},
    {REG_EXPAND_SZ, "expandable string"},
    {REG_MULTI_SZ, "multi-string"},
    {REG_BINARY, "binary"},
    {REG_DWORD, "number"},
};
constexpr std::size_t kStoredLengths[] = {0, 259, 260, 4096};

// A value fits its buffer with the terminator; one that does not counts as absent.
inline bool FitsPathBuffer(std::size_t length) {
    return length < kPathBufferSize;
}

// Exactly length bytes: head, then pad bytes, then tail; only pad bytes when both do not fit.
inline std::string OfLength(std::size_t length, const std::string& head,
                            const std::string& tail = std::string(), char pad = 'x') {
    if (head.size() + tail.size() > length)
        return std::string(length, pad);
    return head + std::string(length - head.size() - tail.size(), pad) + tail;
}

// A path of exactly length characters that names the folder dir followed by tail: "\."
// steps pad it out, and an odd remainder goes into the subfolder "ab" of dir, made here.
inline std::string PaddedPath(std::string dir, std::size_t length, const std::string& tail) {
    std::size_t rest = length - dir.size() - tail.size();
    if (rest % 2 != 0) {
        dir += "\\ab";
        CreateDirectoryA(dir.c_str(), nullptr);
        rest -= 3;
    }
    std::string path = dir;
    for (; rest > 0; rest -= 2)
        path += "\\.";
    return path + tail;
}

// "<form>, <length> bytes", for the failure messages of a table's rows.
inline std::string Describe(const StoredForm& form, std::size_t length) {
    return std::string(form.name) + ", " + std::to_string(length) + " bytes";
}

#endif
