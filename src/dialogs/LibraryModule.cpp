#include "dialogs/LibraryModule.h"

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

bool LibraryPath(wchar_t* path, DWORD capacity)
{
    // A path that does not fit is cut, and the length given is then the buffer's whole size.
    const DWORD length = GetModuleFileNameW(LibraryModule(), path, capacity);
    return length != 0 && length < capacity;
}
