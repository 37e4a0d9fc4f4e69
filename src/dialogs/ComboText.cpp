#include "dialogs/ComboText.h"

bool ComboItemText(HWND combo, LRESULT index, HeapText<wchar_t>& text)
{
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR)
        return false;
    HeapText<wchar_t> buffer(static_cast<SIZE_T>(length) + 1);
    if (!buffer || SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                reinterpret_cast<LPARAM>(buffer.Get())) == CB_ERR)
        return false;
    text.Reset(buffer.Release());
    return true;
}
