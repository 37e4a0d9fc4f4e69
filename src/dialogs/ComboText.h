// Reading an item of a combo box in code page 932.
#ifndef MOKACOMM_COMBO_TEXT_H
#define MOKACOMM_COMBO_TEXT_H

#include "engine/Win32.h"

#include "dialogs/HeapText.h"

// The text of item `index` into `text`; false when there is no such item (CB_ERR, as for index -1
// when nothing is selected) or no memory for it, and `text` is then left alone. The list keeps
// its items in UTF-16, and an item read back in code page 932 can be longer than the bytes that
// went in (a lone lead byte at the end comes back as a two-byte character), so the text is read
// with the length that the list reports, never into a buffer of the size that went in.
bool ComboItemText(HWND combo, LRESULT index, HeapText& text);

#endif
