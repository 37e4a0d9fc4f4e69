#include "module/Module.h"

HMODULE LibraryModule()
{
    // Asked by address, so that the answer is the module this function was linked into. The
    // reference count is left alone: the module cannot go while its own code runs.
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&LibraryModule), &module);
    return module;
}

std::string LibraryPath()
{
    // GetModuleFileNameA cuts a path that does not fit and then returns the full buffer size, so
    // the buffer grows until the answer is shorter than it (paths end at 32767 characters).
    const HMODULE module = LibraryModule();
    std::string path(MAX_PATH, '\0');
    while (path.size() <= 32768) {
        const DWORD length = GetModuleFileNameA(module, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return std::string();
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
    return std::string();
}
