// The owner of a text buffer on the process heap, for texts whose length only the platform knows.
#ifndef MOKACOMM_HEAP_TEXT_H
#define MOKACOMM_HEAP_TEXT_H

#include "base/Unique.h"
#include "base/Win32.h"

template <class Char>
struct HeapTextTraits {
    using Value = Char*;
    static constexpr BOOL kNothingToClose = TRUE;

    static Char* None() { return nullptr; }
    static BOOL GiveBack(Char* text) { return HeapFree(GetProcessHeap(), 0, text); }
};

// `Char` is char for bytes in a code page, wchar_t for UTF-16.
template <class Char>
class HeapText : public Unique<HeapTextTraits<Char>> {
public:
    HeapText() = default;
    // Room for `size` characters, the first of them a NUL; none when the heap has no room, and
    // none for a size of 0 (no room for the NUL) or of more bytes than a SIZE_T counts.
    explicit HeapText(SIZE_T size) : Unique<HeapTextTraits<Char>>(Allocate(size)) {}

private:
    static Char* Allocate(SIZE_T size)
    {
        if (size == 0 || size > static_cast<SIZE_T>(-1) / sizeof(Char))
            return nullptr;
        Char* text = static_cast<Char*>(HeapAlloc(GetProcessHeap(), 0, size * sizeof(Char)));
        if (text)
            text[0] = 0;
        return text;
    }
};

#endif
