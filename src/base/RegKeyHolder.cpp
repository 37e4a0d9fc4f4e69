#include "base/RegKeyHolder.h"

RegKeyHolder::RegKeyHolder(RegKeyHolder&& other) noexcept : key(other.key)
{
    other.key = nullptr;
}

RegKeyHolder& RegKeyHolder::operator=(RegKeyHolder&& other) noexcept
{
    if (this != &other) {
        Close();
        key = other.key;
        other.key = nullptr;
    }
    return *this;
}

RegKeyHolder::~RegKeyHolder()
{
    const DWORD error = ::GetLastError();
    Close();
    ::SetLastError(error);
}

LONG RegKeyHolder::Open(HKEY parent, const char* subKey, REGSAM access)
{
    HKEY opened = nullptr;
    const LONG result = RegOpenKeyExA(parent, subKey, 0, access, &opened);
    if (result != ERROR_SUCCESS)
        return result;
    const LONG closed = Close();
    key = opened;
    return closed;
}

LONG RegKeyHolder::Close()
{
    if (!key)
        return ERROR_SUCCESS;
    const LONG result = RegCloseKey(key);
    key = nullptr;
    return result;
}
