// The owner of one registry key handle; null when it holds none.
#ifndef MOKACOMM_REGISTRY_KEY_H
#define MOKACOMM_REGISTRY_KEY_H

#include "base/Unique.h"
#include "base/Win32.h"

struct RegistryKeyTraits {
    using Value = HKEY;
    static constexpr LONG kNothingToClose = ERROR_SUCCESS;

    static HKEY None() { return nullptr; }
    static LONG Close(HKEY key) { return RegCloseKey(key); }
};

// Close gives RegCloseKey's result, ERROR_SUCCESS when no key is held.
class RegistryKey : public Unique<RegistryKeyTraits> {
public:
    // RegOpenKeyExA's error code when the key cannot be opened, and the key held stays held.
    // Otherwise the key held before is closed first, and the result is that close's result
    // (ERROR_SUCCESS when none was held).
    LONG Open(HKEY parent, const char* subKey, REGSAM access);
};

#endif
