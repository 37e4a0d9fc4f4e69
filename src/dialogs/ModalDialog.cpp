#include "dialogs/ModalDialog.h"

#include "dialogs/LibraryModule.h"

namespace {

// The templates give no position of their own: the dialog goes over the middle of its owner, or
// of the work area when the owner is hidden or there is none, and never past the work area.
void Centre(HWND dialog)
{
    const HWND owner = GetWindow(dialog, GW_OWNER);
    const bool overOwner = owner && IsWindowVisible(owner) && !IsIconic(owner);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromWindow(overOwner ? owner : dialog, MONITOR_DEFAULTTOPRIMARY),
                    &monitor);
    const RECT& work = monitor.rcWork;
    RECT area = work;
    if (overOwner)
        GetWindowRect(owner, &area);
    RECT box;
    GetWindowRect(dialog, &box);
    const LONG width = box.right - box.left;
    const LONG height = box.bottom - box.top;
    LONG x = area.left + (area.right - area.left - width) / 2;
    LONG y = area.top + (area.bottom - area.top - height) / 2;
    x = x + width > work.right ? work.right - width : x;
    y = y + height > work.bottom ? work.bottom - height : y;
    x = x < work.left ? work.left : x;
    y = y < work.top ? work.top : y;
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

ModalDialog::ModalDialog(int templateId, HWND owner) : templateId(templateId), owner(owner) {}

INT_PTR ModalDialog::Run()
{
    // The template is looked up in the library's module: the host's holds none of it. A Unicode
    // dialog keeps the template's UTF-16 texts; an ANSI one would pass them through the system's
    // ANSI code page, which on most machines has no Japanese.
    return DialogBoxParamW(LibraryModule(), MAKEINTRESOURCEW(templateId), owner, &Procedure,
                           reinterpret_cast<LPARAM>(this));
}

void ModalDialog::End(INT_PTR result)
{
    EndDialog(window, result);
}

INT_PTR CALLBACK ModalDialog::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<ModalDialog*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        dialog->window = window;
        Centre(window);
        return dialog->OnInitDialog();
    }
    auto* dialog = reinterpret_cast<ModalDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!dialog)
        return FALSE;
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED) {
            dialog->OnOk();
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            dialog->End(IDCANCEL);
            return TRUE;
        }
        return FALSE;
    case WM_NCDESTROY:
        SetWindowLongPtrW(window, DWLP_USER, 0);
        dialog->window = nullptr;
        return FALSE;
    default:
        return FALSE;
    }
}
