// How the screenshot programs talk to scripts/screenshots.sh: a program prints the rectangle of
// the window to take as "x y width height", then holds it on screen until the script creates the
// file that says the picture is taken.
#ifndef MOKACOMM_TESTS_SCREENSHOT_PROTOCOL_H
#define MOKACOMM_TESTS_SCREENSHOT_PROTOCOL_H

#include "base/Win32.h"

constexpr DWORD kHoldMs = 30000;

// Prints the window's screen rectangle; 0, or 1 with a message when there is no window.
int ReportWindow(HWND window);
// Waits until `proceedFile` exists, at most kHoldMs; false when it never came.
bool Hold(const char* proceedFile);

#endif
