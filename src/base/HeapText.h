// The owner of a text buffer on the process heap, for texts whose length only the platform knows.
#ifndef MOKACOMM_HEAP_TEXT_H
#define MOKACOMM_HEAP_TEXT_H

#include "base/Win32.h"

// `Char` is char for bytes in a code page, wchar_t for UTF-16.
template <class Char>
class HeapText {
public:
    HeapText() = default;
    // Room for `size` characters, the first of them a NUL; none when the heap has no room.
    explicit HeapText(SIZE_T size)
        : text(static_cast<Char*>(HeapAlloc(GetProcessHeap(), 0, size * sizeof(Char))))
    {
        if (text)
            text[0] = 0;
    }
    HeapText(const HeapText&) = delete;
    HeapText& operator=(const HeapText&) = delete;
    ~HeapText()
    {
        if (text)
            HeapFree(GetProcessHeap(), 0, text);
    }

    Char* Get() const { return text; }
    explicit operator bool() const { return text != nullptr; }
    void Swap(HeapText& other)
    {
        Char* const mine = text;
        text = other.text;
        other.text = mine;
    }

private:
    Char* text = nullptr;
};

#endif
