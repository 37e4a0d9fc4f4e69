// A modal dialog built from one of the library's own templates, with its state in the object.
#ifndef MOKACOMM_MODAL_DIALOG_H
#define MOKACOMM_MODAL_DIALOG_H

#include "base/Win32.h"

class ModalDialog {
public:
    ModalDialog(const ModalDialog&) = delete;
    ModalDialog& operator=(const ModalDialog&) = delete;

    // Runs the modal loop, the dialog centred over its owner, which is disabled meanwhile. The
    // result is what the dialog ended with (IDOK, IDCANCEL), or -1 when it could not be created.
    INT_PTR Run();

protected:
    // `owner` is only borrowed; null shows the dialog without one.
    ModalDialog(int templateId, HWND owner);
    ~ModalDialog() = default;

    // The dialog's window while it exists, else null.
    HWND Window() const { return window; }
    void End(INT_PTR result);

    // WM_INITDIALOG; nonzero lets the dialog manager set the initial keyboard focus.
    virtual INT_PTR OnInitDialog() = 0;
    // IDOK from the OK button or the Enter key. Cancel (button, Esc, close box) ends the dialog
    // with IDCANCEL and does nothing else.
    virtual void OnOk() = 0;

private:
    // The object's address lives in the window's DWLP_USER slot from WM_INITDIALOG until the
    // window goes; messages before and after it find none and get the default handling.
    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    int templateId;
    HWND owner;
    HWND window = nullptr;
};

#endif
