// Registry data cut into a list item's text, for any data, buffer size and reported length.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "FuzzCheck.h"
#include "dialogs/RegistryText.h"

namespace {

// The port dialog's buffer.
constexpr std::size_t kDialogBuffer = 256;

std::size_t Cut(const std::vector<char>& original, std::size_t capacity, std::size_t length)
{
    // Exactly `capacity` bytes on the heap: any access past them is caught.
    std::unique_ptr<char[]> buffer(new char[capacity ? capacity : 1]);
    std::copy(original.begin(), original.begin() + capacity, buffer.get());
    const std::size_t cut = CutRegistryText(buffer.get(), capacity, length);

    if (capacity == 0) {
        FUZZ_CHECK(cut == 0);
        return cut;
    }
    const std::size_t limit = std::min(length, capacity - 1);
    FUZZ_CHECK(cut <= limit);
    FUZZ_CHECK(buffer[cut] == '\0');
    FUZZ_CHECK(std::strlen(buffer.get()) == cut);
    // The text is the data up to its first NUL, or all of it that fits.
    FUZZ_CHECK(std::memchr(original.data(), '\0', cut) == nullptr);
    FUZZ_CHECK(cut == limit || original[cut] == '\0');
    // Only the terminator is written.
    FUZZ_CHECK(std::equal(buffer.get(), buffer.get() + cut, original.begin()));
    FUZZ_CHECK(std::equal(buffer.get() + cut + 1, buffer.get() + capacity,
                          original.begin() + cut + 1));
    return cut;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    const std::size_t capacity = (data[0] | data[1] << 8) % 600;
    // Lengths up to twice the buffer: the registry reports the size it needed.
    const std::size_t length = (data[2] | data[3] << 8) % (2 * capacity + 2);
    std::vector<char> original(data + 4, data + size);
    original.resize(std::max({capacity, kDialogBuffer, original.size()}), 'x');

    Cut(original, capacity, length);
    FUZZ_CHECK(Cut(original, kDialogBuffer, length) <= 255);
    return 0;
}
