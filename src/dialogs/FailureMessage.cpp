#include "dialogs/FailureMessage.h"

#include "dialogs/HeapText.h"
#include "module/Module.h"

namespace {

// Paths end at 32767 characters.
constexpr DWORD kLongestPath = 32768;

} // namespace

void ShowFailure(HWND owner, const char* text)
{
    HeapText path(kLongestPath);
    const char* caption = path && LibraryPath(path.Get(), kLongestPath) ? FileStem(path.Get()) : "";
    MessageBoxA(owner, text, caption, MB_OK | MB_ICONEXCLAMATION);
}

const char* FileStem(char* path)
{
    char* name = path;
    char* extension = nullptr;
    for (char* p = path; *p != '\0'; p = CharNextA(p)) {
        if (*p == '\\' || *p == '/' || *p == ':') {
            name = p + 1;
            extension = nullptr;
        } else if (*p == '.') {
            extension = p;
        }
    }
    if (extension)
        *extension = '\0';
    return name;
}
