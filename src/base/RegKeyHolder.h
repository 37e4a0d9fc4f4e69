// The owner of one registry key handle; null when it holds none.
#ifndef MOKACOMM_REG_KEY_HOLDER_H
#define MOKACOMM_REG_KEY_HOLDER_H

#include "base/Win32.h"

class RegKeyHolder {
public:
    RegKeyHolder() = default;
    RegKeyHolder(RegKeyHolder&& other) noexcept;
    RegKeyHolder& operator=(RegKeyHolder&& other) noexcept;
    RegKeyHolder(const RegKeyHolder&) = delete;
    RegKeyHolder& operator=(const RegKeyHolder&) = delete;
    // Closing keeps the thread's last error.
    ~RegKeyHolder();

    // RegOpenKeyExA's error code when the key cannot be opened, and the key held stays held.
    // Otherwise the key held before is closed first, and the result is that close's result
    // (ERROR_SUCCESS when none was held).
    LONG Open(HKEY parent, const char* subKey, REGSAM access);
    // RegCloseKey's result; ERROR_SUCCESS when no key is held.
    LONG Close();
    HKEY Get() const { return key; }

private:
    HKEY key = nullptr;
};

#endif
