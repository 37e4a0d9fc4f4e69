#include "DialogCloser.h"

DialogCloser* DialogCloser::current = nullptr;

DialogCloser::DialogCloser(int control, const wchar_t* caption, const wchar_t* firstItem)
    : timer(SetTimer(nullptr, 0, 50, Tick)), control(control), caption(caption),
      firstItem(firstItem)
{
    current = this;
}

DialogCloser::~DialogCloser()
{
    KillTimer(nullptr, timer);
    current = nullptr;
}

void CALLBACK DialogCloser::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    if (current && !current->closed)
        EnumThreadWindows(GetCurrentThreadId(), Visit, reinterpret_cast<LPARAM>(current));
}

BOOL CALLBACK DialogCloser::Visit(HWND window, LPARAM parameter)
{
    auto* closer = reinterpret_cast<DialogCloser*>(parameter);
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpA(className, "#32770") != 0 || !IsWindowVisible(window))
        return TRUE;
    // A message box instead of the dialog is cancelled too, but does not count.
    const HWND list = GetDlgItem(window, closer->control);
    wchar_t text[64] = L"";
    wchar_t item[64] = L"";
    GetWindowTextW(window, text, 64);
    if (list && SendMessageW(list, CB_GETLBTEXTLEN, 0, 0) < 64)
        SendMessageW(list, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(item));
    closer->closed = list && lstrcmpW(text, closer->caption) == 0 &&
                     lstrcmpW(item, closer->firstItem) == 0;
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return FALSE;
}
