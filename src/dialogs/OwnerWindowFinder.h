// The window that owns the library's dialogs. The host passes none, so the library looks for one.
#ifndef MOKACOMM_OWNER_WINDOW_FINDER_H
#define MOKACOMM_OWNER_WINDOW_FINDER_H

#include "base/Win32.h"

// The calling thread's active window; else, in a console host, the console window; else null.
// The window is only borrowed: callers never destroy it. Keeps nothing between calls.
HWND OwnerWindowFinder();

#endif
