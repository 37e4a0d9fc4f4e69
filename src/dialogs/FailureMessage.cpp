#include "dialogs/FailureMessage.h"

#include "base/HeapText.h"
#include "dialogs/LibraryModule.h"

namespace {

// Paths end at 32767 characters.
constexpr DWORD kLongestPath = 32768;

} // namespace

void ShowFailure(HWND owner, const wchar_t* text)
{
    HeapText<wchar_t> path(kLongestPath);
    const wchar_t* caption =
        path && LibraryPath(path.Get(), kLongestPath) ? FileStem(path.Get()) : L"";
    MessageBoxW(owner, text, caption, MB_OK | MB_ICONEXCLAMATION);
}

const wchar_t* FileStem(wchar_t* path)
{
    wchar_t* name = path;
    wchar_t* extension = nullptr;
    for (wchar_t* p = path; *p != L'\0'; ++p) {
        if (*p == L'\\' || *p == L'/' || *p == L':') {
            name = p + 1;
            extension = nullptr;
        } else if (*p == L'.') {
            extension = p;
        }
    }
    if (extension)
        *extension = L'\0';
    return name;
}
