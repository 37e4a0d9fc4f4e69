#include "dialogs/ComboText.h"

#include <vector>

bool ComboItemText(HWND combo, LRESULT index, std::string& text)
{
    const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR)
        return false;
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
    if (SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(buffer.data())) == CB_ERR)
        return false;
    text.assign(buffer.data());
    return true;
}
