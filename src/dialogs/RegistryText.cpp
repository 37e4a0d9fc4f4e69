#include "dialogs/RegistryText.h"

#include <cstring>

std::size_t CutRegistryText(char* buffer, std::size_t capacity, std::size_t length)
{
    if (capacity == 0)
        return 0;
    const std::size_t limit = length < capacity - 1 ? length : capacity - 1;
    const void* nul = std::memchr(buffer, '\0', limit);
    const std::size_t cut = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - buffer)
                                : limit;
    buffer[cut] = '\0';
    return cut;
}
