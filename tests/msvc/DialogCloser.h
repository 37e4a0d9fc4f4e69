// Cancels the next dialog that this thread shows, from a timer that the dialog's modal loop
// dispatches: the way the test gets SelectPort and SettingDlg to return.
#ifndef MOKACOMM_MSVC_DIALOG_CLOSER_H
#define MOKACOMM_MSVC_DIALOG_CLOSER_H

#include "base/Win32.h"

class DialogCloser {
public:
    // `control`: the id of a list that the dialog must have to be the one expected. The dialog's
    // caption and the list's first item must read, in UTF-16, as `caption` and `firstItem`.
    DialogCloser(int control, const wchar_t* caption, const wchar_t* firstItem);
    DialogCloser(const DialogCloser&) = delete;
    DialogCloser& operator=(const DialogCloser&) = delete;
    ~DialogCloser();

    // Whether the expected dialog was shown, with the texts expected, and cancelled.
    bool Closed() const { return closed; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    static BOOL CALLBACK Visit(HWND window, LPARAM closer);

    static DialogCloser* current;
    UINT_PTR timer;
    int control;
    const wchar_t* caption;
    const wchar_t* firstItem;
    bool closed = false;
};

#endif
