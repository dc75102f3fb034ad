#include "library_search.h"

#include "path_text.h"

#include <vector>

namespace {

// SetDefaultDllDirectories and AddDllDirectory exist from Windows 8 on, and on Windows 7 with
// its update KB2533623; where they are missing the older SetDllDirectory stands in.
typedef BOOL(WINAPI* PFN_SetDefaultDllDirectories)(DWORD);
typedef DLL_DIRECTORY_COOKIE(WINAPI* PFN_AddDllDirectory)(PCWSTR);

// True once the default library folders of the process are the program's own, the system's
// and the ones added: the LOAD_LIBRARY_SEARCH_ flags work only then.
bool g_defaultFolders = false;

FARPROC Kernel32Function(const char* name) {
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    return kernel ? GetProcAddress(kernel, name) : nullptr;
}

template <typename Fn> Fn Kernel32(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(Kernel32Function(name)));
}

std::wstring Wide(const std::string& text) {
    const int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (size <= 0)
        return std::wstring();
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], size);
    wide.resize(static_cast<std::size_t>(size - 1));
    return wide;
}

std::string FullPath(const char* path) {
    const DWORD size = GetFullPathNameA(path, 0, nullptr, nullptr);
    if (size == 0)
        return std::string();
    std::vector<char> full(size, '\0');
    const DWORD length = GetFullPathNameA(path, size, full.data(), nullptr);
    return length == 0 || length >= size ? std::string() : std::string(full.data(), length);
}

} // namespace

void RestrictLibrarySearch() {
    const auto setDefault = Kernel32<PFN_SetDefaultDllDirectories>("SetDefaultDllDirectories");
    g_defaultFolders = setDefault && setDefault(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    // Without it the current folder at least leaves the search; PATH stays in it there.
    if (!g_defaultFolders)
        SetDllDirectoryW(L"");
}

std::string ModuleFolder(HMODULE module) {
    // Long enough for any path the loader accepts.
    std::vector<char> path(32768, '\0');
    const DWORD length = GetModuleFileNameA(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size())
        return std::string();
    const std::string file(path.data(), length);
    const std::string::size_type slash = file.find_last_of('\\');
    return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

HMODULE LoadResourceImage(const char* name) {
    const std::string folder = ModuleFolder(nullptr);
    if (folder.empty())
        return nullptr;
    return LoadLibraryExA((folder + name).c_str(), nullptr,
                          LOAD_LIBRARY_AS_IMAGE_RESOURCE | LOAD_LIBRARY_AS_DATAFILE);
}

HMODULE LoadLibraryAt(const char* path) {
    // Any other path is found from the current folder or drive, which the user chooses.
    if (!IsFullyQualifiedPath(path))
        return nullptr;
    const std::string full = FullPath(path);
    if (full.empty())
        return nullptr;
    // Both flags take the library's own folder for its dependencies, and only with a full path.
    const DWORD flags = g_defaultFolders
                            ? LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS
                            : LOAD_WITH_ALTERED_SEARCH_PATH;
    return LoadLibraryExA(full.c_str(), nullptr, flags);
}

void SearchLibraryFolder(HMODULE library) {
    std::string folder = ModuleFolder(library);
    if (folder.empty())
        return;
    if (g_defaultFolders) {
        const auto add = Kernel32<PFN_AddDllDirectory>("AddDllDirectory");
        if (add)
            add(Wide(folder).c_str());
        return;
    }
    // The one folder SetDllDirectory takes, in the place the current folder had.
    SetDllDirectoryA(folder.c_str());
}
