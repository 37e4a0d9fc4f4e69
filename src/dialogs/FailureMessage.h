// How the dialogs report a failure to the user: the host learns nothing of it.
#ifndef MOKACOMM_FAILURE_MESSAGE_H
#define MOKACOMM_FAILURE_MESSAGE_H

#include "engine/Win32.h"

// A modal box with `text`, an OK button and the exclamation icon, captioned with the library
// file's name without its extension. Nothing is read back from it.
void ShowFailure(HWND owner, const char* text);

// The file name at the end of `path`, without its extension: "Mokacomm" for
// "C:\bin\Mokacomm.dll". The extension is cut off in place; the result points into `path`. The
// path is read character by character in the ANSI code page, because in code page 932 the second
// byte of a double-byte character (表, ソ) can be 0x5C, the byte of the backslash.
const char* FileStem(char* path);

#endif
