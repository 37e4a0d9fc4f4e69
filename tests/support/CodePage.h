// The ANSI code page that a test program is meant to run in, for the programs of both ABIs (plain
// Win32). It is that of the locale named in MOKACOMM_LOCALE, which tests/support/wine-run runs
// the program in, or of ja_JP.UTF-8, the suite's own locale (scripts/lib/wine-env.sh). A program
// whose GetACP() differs runs in a locale that did not take.
#ifndef MOKACOMM_TESTS_CODE_PAGE_H
#define MOKACOMM_TESTS_CODE_PAGE_H

#include "base/Win32.h"

// 0 when Windows knows no such locale.
inline UINT ExpectedAnsiCodePage()
{
    wchar_t name[LOCALE_NAME_MAX_LENGTH];
    const DWORD length = GetEnvironmentVariableW(L"MOKACOMM_LOCALE", name, LOCALE_NAME_MAX_LENGTH);
    if (length == 0 || length >= LOCALE_NAME_MAX_LENGTH)
        lstrcpyW(name, L"ja_JP.UTF-8");
    // The Linux locale en_US.UTF-8 is the Windows locale en-US.
    for (wchar_t* c = name; *c != L'\0'; ++c) {
        if (*c == L'.') {
            *c = L'\0';
            break;
        }
        if (*c == L'_')
            *c = L'-';
    }
    DWORD codePage = 0;
    if (!GetLocaleInfoEx(name, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                         reinterpret_cast<LPWSTR>(&codePage), sizeof codePage / sizeof(wchar_t)))
        return 0;
    return codePage;
}

#endif
