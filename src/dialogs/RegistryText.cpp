#include "dialogs/RegistryText.h"

#include <string.h>

size_t CutRegistryText(char* buffer, size_t capacity, size_t length)
{
    if (capacity == 0)
        return 0;
    const size_t limit = length < capacity - 1 ? length : capacity - 1;
    const void* nul = memchr(buffer, '\0', limit);
    const size_t cut = nul ? static_cast<size_t>(static_cast<const char*>(nul) - buffer)
                                : limit;
    buffer[cut] = '\0';
    return cut;
}
