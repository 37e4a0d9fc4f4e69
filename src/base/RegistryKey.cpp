#include "base/RegistryKey.h"

LONG RegistryKey::Open(HKEY parent, const char* subKey, REGSAM access)
{
    HKEY opened = nullptr;
    const LONG result = RegOpenKeyExA(parent, subKey, 0, access, &opened);
    if (result == ERROR_SUCCESS)
        Reset(opened);
    return result;
}
