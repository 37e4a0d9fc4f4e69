#include "dialogs/RegistryText.h"

namespace {

template <class Char>
size_t Cut(Char* buffer, size_t capacity, size_t length)
{
    if (capacity == 0)
        return 0;
    const size_t limit = length < capacity - 1 ? length : capacity - 1;
    size_t cut = 0;
    while (cut < limit && buffer[cut] != 0)
        ++cut;
    buffer[cut] = 0;
    return cut;
}

} // namespace

size_t CutRegistryText(char* buffer, size_t capacity, size_t length)
{
    return Cut(buffer, capacity, length);
}

size_t CutRegistryText(wchar_t* buffer, size_t capacity, size_t length)
{
    return Cut(buffer, capacity, length);
}
