#include "dialogs/FailureMessage.h"

#include "module/Module.h"

void ShowFailure(HWND owner, const char* text)
{
    const std::string caption = FileStem(LibraryPath().c_str());
    MessageBoxA(owner, text, caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
}

std::string FileStem(const char* path)
{
    const char* name = path;
    const char* extension = nullptr;
    for (const char* p = path; *p != '\0'; p = CharNextA(p)) {
        if (*p == '\\' || *p == '/' || *p == ':') {
            name = p + 1;
            extension = nullptr;
        } else if (*p == '.') {
            extension = p;
        }
    }
    return extension ? std::string(name, extension) : std::string(name);
}
