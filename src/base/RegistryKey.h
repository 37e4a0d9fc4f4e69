// The owner of one registry key handle; null when it holds none.
#ifndef MOKACOMM_REGISTRY_KEY_H
#define MOKACOMM_REGISTRY_KEY_H

#include "base/Unique.h"
#include "base/Win32.h"

struct RegistryKeyTraits {
    using Value = HKEY;
    static constexpr LONG kNothingToClose = ERROR_SUCCESS;

    static HKEY None() { return nullptr; }
    static LONG GiveBack(HKEY key) { return RegCloseKey(key); }
};

// Close gives RegCloseKey's result, ERROR_SUCCESS when no key is held.
class RegistryKey : public Unique<RegistryKeyTraits> {
public:
    // ERROR_SUCCESS when the key is opened: it is held from then on, and the key held before is
    // closed. Otherwise RegOpenKeyExA's error code, and the key held stays held.
    LONG Open(HKEY parent, const char* subKey, REGSAM access);
};

#endif
