#include "dialogs/FileStem.h"

const wchar_t* FileStem(wchar_t* path)
{
    wchar_t* name = path;
    wchar_t* extension = nullptr;
    for (wchar_t* p = path; *p != L'\0'; ++p) {
        if (*p == L'\\' || *p == L'/' || *p == L':') {
            name = p + 1;
            extension = nullptr;
        } else if (*p == L'.') {
            extension = p;
        }
    }
    if (extension)
        *extension = L'\0';
    return name;
}
