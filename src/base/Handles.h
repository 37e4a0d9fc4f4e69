// Owners for kernel handles. Win32 has two "no handle" values: CreateFileA fails with
// INVALID_HANDLE_VALUE, while events and threads are null when absent. Each owner knows its own.
#ifndef MOKACOMM_HANDLES_H
#define MOKACOMM_HANDLES_H

#include "base/Win32.h"

struct NullIsNone {
    static HANDLE None() { return nullptr; }
};
struct InvalidIsNone {
    static HANDLE None() { return INVALID_HANDLE_VALUE; }
};

template <class Sentinel>
class UniqueHandle {
public:
    using CloseFunction = BOOL(WINAPI*)(HANDLE);

    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle, CloseFunction close = ::CloseHandle)
        : handle(handle), close(close) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle(other.Release()), close(other.close) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other) {
            Reset(other.Release());
            close = other.close;
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Reset(); }

    HANDLE Get() const { return handle; }
    explicit operator bool() const { return handle != Sentinel::None(); }

    HANDLE Release()
    {
        HANDLE h = handle;
        handle = Sentinel::None();
        return h;
    }

    // Closing keeps the thread's last error, so cleanup never hides the code being reported.
    void Reset(HANDLE replacement = Sentinel::None())
    {
        if (handle != Sentinel::None()) {
            const DWORD error = ::GetLastError();
            close(handle);
            ::SetLastError(error);
        }
        handle = replacement;
    }

private:
    HANDLE handle = Sentinel::None();
    CloseFunction close = ::CloseHandle;
};

using KernelHandle = UniqueHandle<NullIsNone>; // events, threads
using FileHandle = UniqueHandle<InvalidIsNone>; // CreateFileA results

#endif
