// How the dialogs report a failure to the user: the host learns nothing of it.
#ifndef MOKACOMM_FAILURE_MESSAGE_H
#define MOKACOMM_FAILURE_MESSAGE_H

#include "base/Win32.h"

// A modal box with `text`, an OK button and the exclamation icon, captioned with the library
// file's name without its extension. Nothing is read back from it.
void ShowFailure(HWND owner, const wchar_t* text);

#endif
