// Reading an item of a combo box.
#ifndef MOKACOMM_COMBO_TEXT_H
#define MOKACOMM_COMBO_TEXT_H

#include "base/Win32.h"

#include "base/HeapText.h"

// The text of item `index` into `text`, in UTF-16 as the list holds it; false when there is no
// such item (CB_ERR, as for index -1 when nothing is selected) or no memory for it, and `text` is
// then left alone. The text is read with the length that the list reports, so any item fits.
bool ComboItemText(HWND combo, LRESULT index, HeapText<wchar_t>& text);

#endif
