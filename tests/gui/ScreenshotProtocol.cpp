#include "ScreenshotProtocol.h"

#include <cstdio>

int ReportWindow(HWND window)
{
    if (!window) {
        std::fprintf(stderr, "the window did not appear\n");
        return 1;
    }
    RECT rect;
    GetWindowRect(window, &rect);
    std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left,
                rect.bottom - rect.top);
    std::fflush(stdout);
    return 0;
}

bool Hold(const char* proceedFile)
{
    const ULONGLONG deadline = GetTickCount64() + kHoldMs;
    while (GetFileAttributesA(proceedFile) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount64() >= deadline) {
            std::fprintf(stderr, "no word to proceed within %lu ms\n", kHoldMs);
            return false;
        }
        Sleep(50);
    }
    return true;
}
