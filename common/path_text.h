// Cutting and joining of paths held in fixed 260-character buffers.
#ifndef TARN_PATH_TEXT_H
#define TARN_PATH_TEXT_H

#include <cstddef>

// The platform's path limit, terminator included: the size of every path buffer.
constexpr std::size_t kPathBufferSize = 260;

// Copies the directory part of path into dir (of dirSize bytes): the text before its last
// backslash; no backslash gives the empty text; a path whose only backslash is its first
// character is copied whole. Returns false, leaving dir empty, when it does not fit.
bool DirectoryOfPath(const char* path, char* dir, std::size_t dirSize);

// Appends suffix to the text in buffer (of bufferSize bytes). Returns false and leaves the
// buffer unchanged when the result and its terminator would not fit.
bool AppendToBuffer(char* buffer, std::size_t bufferSize, const char* suffix);

// Copies text into buffer when it fits with its terminator; else returns false.
bool CopyToBuffer(char* buffer, std::size_t bufferSize, const char* text);

// True when path names one file wherever the program runs: a drive and its root (X:\...),
// a share (\\server\share\...) or a device path (\\?\... or \\.\...). An empty path, a bare
// or dotted name (nnotes.dll, .\nnotes.dll), one from the root of the current drive
// (\nnotes.dll) and one from a drive's current folder (C:nnotes.dll) are not: they name a file
// by where the program happens to stand.
bool IsFullyQualifiedPath(const char* path);

#endif
