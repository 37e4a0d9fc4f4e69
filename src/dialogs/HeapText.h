// The owner of a text buffer on the process heap, for texts whose length only the platform knows.
#ifndef MOKACOMM_HEAP_TEXT_H
#define MOKACOMM_HEAP_TEXT_H

#include "engine/Win32.h"

class HeapText {
public:
    HeapText() = default;
    // Room for `size` bytes, the first of them a NUL; none when the heap has no room.
    explicit HeapText(SIZE_T size) : text(static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, size)))
    {
        if (text)
            text[0] = '\0';
    }
    HeapText(const HeapText&) = delete;
    HeapText& operator=(const HeapText&) = delete;
    ~HeapText()
    {
        if (text)
            HeapFree(GetProcessHeap(), 0, text);
    }

    char* Get() const { return text; }
    explicit operator bool() const { return text != nullptr; }
    void Swap(HeapText& other)
    {
        char* const mine = text;
        text = other.text;
        other.text = mine;
    }

private:
    char* text = nullptr;
};

#endif
