#include "dialogs/FailureMessage.h"

#include "base/HeapText.h"
#include "dialogs/FileStem.h"
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
