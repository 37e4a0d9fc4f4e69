#include "CounterStream.h"

namespace {

char ByteAt(std::uint64_t offset)
{
    const auto counter = static_cast<std::uint32_t>(offset / 4);
    return static_cast<char>(counter >> (8 * (offset % 4)));
}

} // namespace

void FillCounters(std::uint64_t offset, char* out, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i)
        out[i] = ByteAt(offset + i);
}

bool CounterCheck::Take(const char* data, std::size_t length)
{
    if (!mismatch.empty())
        return false;
    for (std::size_t i = 0; i < length; ++i, ++next) {
        if (data[i] != ByteAt(next)) {
            mismatch = "offset " + std::to_string(next) + " (counter " + std::to_string(next / 4) +
                       "): byte " + std::to_string(static_cast<unsigned char>(data[i])) +
                       " instead of " + std::to_string(static_cast<unsigned char>(ByteAt(next)));
            return false;
        }
    }
    return true;
}
