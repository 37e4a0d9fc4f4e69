// The port-name parser on any text, and the names of any number.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "interface/PortNames.h"

namespace {

// The names' grammar written out a second way: "COM" in any case, then one to three decimal
// digits whose value is 1 to 32.
int Expected(const char* text)
{
    const std::string s(text);
    if (s.size() < 4 || s.size() > 6)
        return kPortNone;
    for (std::size_t i = 0; i < 3; ++i) {
        if (s[i] != "COM"[i] && s[i] != "com"[i])
            return kPortNone;
    }
    if (s.find_first_not_of("0123456789", 3) != std::string::npos)
        return kPortNone;
    const int value = std::stoi(s.substr(3));
    return value >= 1 && value <= kPortCount ? value - 1 : kPortNone;
}

// A name for `port` as a user might type it: "com" in the case the bits of `shape` choose, and
// as many leading zeros as still fit in three digits.
std::string Spelled(int port, std::uint8_t shape)
{
    std::string name = "COM";
    for (int i = 0; i < 3; ++i) {
        if (shape & (1 << i))
            name[i] = static_cast<char>(name[i] - 'A' + 'a');
    }
    const std::string digits = std::to_string(port + 1);
    const std::size_t zeros = (shape >> 3) % (4 - digits.size());
    return name + std::string(zeros, '0') + digits;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Exactly as long as the text and its NUL, so that reading past the NUL is caught.
    std::vector<char> text(data, data + size);
    text.push_back('\0');
    const int parsed = ParsePortStr(text.data());
    FUZZ_CHECK(parsed >= 0 && parsed <= kPortNone);
    FUZZ_CHECK(parsed == Expected(text.data()));
    if (parsed != kPortNone)
        FUZZ_CHECK(ParsePortStr(PortName(parsed)) == parsed);

    if (size >= sizeof(int) + 1) {
        int number;
        std::memcpy(&number, data, sizeof number);
        const bool valid = number >= 0 && number < kPortCount;
        const char* name = PortName(number);
        FUZZ_CHECK(name == portStrTable[valid ? number : kPortNone]);
        FUZZ_CHECK(ParsePortStr(name) == (valid ? number : kPortNone));
        if (valid)
            FUZZ_CHECK(ParsePortStr(Spelled(number, data[sizeof number]).c_str()) == number);
    }
    return 0;
}
