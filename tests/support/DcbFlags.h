// The flag word of a DCB (fBinary .. fDummy2) as one number, for tests.
#ifndef MOKACOMM_TESTS_DCB_FLAGS_H
#define MOKACOMM_TESTS_DCB_FLAGS_H

#include <cstddef>
#include <cstring>

#include "base/Win32.h"

inline DWORD FlagWord(const DCB& d)
{
    DWORD flags;
    std::memcpy(&flags, reinterpret_cast<const char*>(&d) + offsetof(DCB, BaudRate) + 4, 4);
    return flags;
}

#endif
