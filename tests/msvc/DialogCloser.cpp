#include "DialogCloser.h"

DialogCloser* DialogCloser::current = nullptr;

DialogCloser::DialogCloser(int control) : timer(SetTimer(nullptr, 0, 50, Tick)), control(control)
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
    if (GetDlgItem(window, closer->control))
        closer->closed = true;
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return FALSE;
}
