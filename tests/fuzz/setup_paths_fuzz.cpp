// Paths in fixed buffers: the Directory value cut to the Notes program folder, the
// dialog's multi-select list split into full paths, and the copying, appending and cutting
// of path_text. Every buffer is exactly as large as it claims, so a byte read or written
// past it is caught.
#include "fuzz_check.h"
#include "path_text.h"
#include "setup_paths.h"

#include <algorithm>
#include <cstring>

namespace {

// A heap buffer of exactly size bytes holding text (cut to fit), terminated when it fits.
std::vector<char> Buffer(const std::string& text, std::size_t size) {
    std::vector<char> buffer(size, '\x7f');
    std::copy_n(text.begin(), std::min(text.size(), size), buffer.begin());
    if (text.size() < size)
        buffer[text.size()] = '\0';
    return buffer;
}

void CheckDirectoryCut(const std::string& value) {
    std::vector<char> buffer = Buffer(value, value.size() + 1);
    CutNotesDirectory(buffer.data());
    const std::string cut = buffer.data();
    const std::size_t first = value.find('\\');
    const std::size_t last = value.rfind('\\');
    FUZZ_CHECK(cut == (first != last ? value.substr(0, last) : value));

    // As the setup program builds the library path: refused when it does not fit.
    char path[kPathBufferSize];
    if (CopyToBuffer(path, sizeof path, cut.c_str()) &&
        AppendToBuffer(path, sizeof path, "\\nnotes.dll"))
        FUZZ_CHECK(std::string(path) == cut + "\\nnotes.dll");
    else
        FUZZ_CHECK(cut.size() + std::strlen("\\nnotes.dll") >= kPathBufferSize);
}

void CheckSelection(const std::string& raw, const std::string& folder,
                    const std::vector<std::string>& names) {
    // Any bytes, without a closing null: nothing is read past them.
    const std::vector<char> bytes(raw.begin(), raw.end());
    for (const std::string& path : SelectedFilePaths(bytes.data(), bytes.size()))
        FUZZ_CHECK(!path.empty());

    // A list as the dialog returns it comes back as the folder joined with each name.
    if (folder.empty() || names.empty())
        return;
    std::string list = folder + '\0';
    for (const std::string& name : names)
        list += name + '\0';
    list += '\0';
    const std::vector<std::string> paths = SelectedFilePaths(list.data(), list.size());
    const std::string joined = folder.back() == '\\' ? folder : folder + "\\";
    FUZZ_CHECK(paths.size() == names.size());
    for (std::size_t i = 0; i < paths.size(); ++i)
        FUZZ_CHECK(paths[i] == joined + names[i]);
}

void CheckPathText(const std::string& text, const std::string& suffix, std::size_t size) {
    std::vector<char> dir(size, '\x7f');
    if (DirectoryOfPath(text.c_str(), dir.data(), dir.size())) {
        const std::string result(dir.data(), strnlen(dir.data(), dir.size()));
        FUZZ_CHECK(result.size() < dir.size());
        FUZZ_CHECK(text.compare(0, result.size(), result) == 0);
    } else if (size > 0) {
        FUZZ_CHECK(dir[0] == '\0');
    }

    // The buffer may hold a text without terminator: it is full and takes nothing more.
    std::vector<char> buffer = Buffer(text, size);
    const std::vector<char> before = buffer;
    const std::size_t used = strnlen(before.data(), before.size());
    if (AppendToBuffer(buffer.data(), buffer.size(), suffix.c_str())) {
        FUZZ_CHECK(used + suffix.size() < size);
        FUZZ_CHECK(std::string(buffer.data()) == std::string(before.data(), used) + suffix);
    } else {
        FUZZ_CHECK(buffer == before);
        FUZZ_CHECK(size == 0 || used + suffix.size() >= size);
    }

    std::vector<char> copy(size, '\x7f');
    if (CopyToBuffer(copy.data(), copy.size(), text.c_str()))
        FUZZ_CHECK(std::string(copy.data()) == text);
    else
        FUZZ_CHECK(text.size() >= size);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string raw(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> fields = FuzzFields(data, size, 3);
    const std::string first = UpToNull(fields[0]);
    const std::string second = UpToNull(fields[1]);

    CheckDirectoryCut(first);

    std::vector<std::string> names;
    for (const std::string& name : FuzzFields(
             reinterpret_cast<const std::uint8_t*>(fields[2].data()), fields[2].size(), 64)) {
        if (name.empty() || name.find('\0') != std::string::npos)
            break;
        names.push_back(name);
    }
    CheckSelection(raw, first, names);

    const std::size_t bufferSize = 1 + (size == 0 ? 0 : data[0] % (kPathBufferSize + 40));
    CheckPathText(first, second, bufferSize);
    CheckPathText(first, second, kPathBufferSize);
    return 0;
}
