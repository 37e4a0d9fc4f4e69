// Owners for kernel handles. Win32 has two "no handle" values: CreateFileA fails with
// INVALID_HANDLE_VALUE, while events and threads are null when absent. Each owner knows its own.
#ifndef MOKACOMM_HANDLES_H
#define MOKACOMM_HANDLES_H

#include "base/Unique.h"
#include "base/Win32.h"

struct NullIsNone {
    static HANDLE None() { return nullptr; }
};
struct InvalidIsNone {
    static HANDLE None() { return INVALID_HANDLE_VALUE; }
};

// A handle is closed with CloseHandle, or with the engine's seam to it (PlatformCalls), which the
// owner then keeps: KernelHandle(event, calls.CloseHandle).
template <class Sentinel>
class HandleTraits {
public:
    using Value = HANDLE;
    using CloseFunction = BOOL(WINAPI*)(HANDLE);
    static constexpr BOOL kNothingToClose = TRUE;

    HandleTraits(CloseFunction close = ::CloseHandle) : close(close) {}
    static HANDLE None() { return Sentinel::None(); }
    BOOL GiveBack(HANDLE handle) const { return close(handle); }

private:
    CloseFunction close;
};

using KernelHandle = Unique<HandleTraits<NullIsNone>>;   // events, threads
using FileHandle = Unique<HandleTraits<InvalidIsNone>>;  // CreateFileA results

#endif
