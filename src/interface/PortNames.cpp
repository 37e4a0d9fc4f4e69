#include "interface/PortNames.h"

#include <stddef.h>

#include "LibraryTexts.h"

const char* const portStrTable[kPortCount + 1] = {
    "COM1",  "COM2",  "COM3",  "COM4",  "COM5",  "COM6",  "COM7",  "COM8",  "COM9",
    "COM10", "COM11", "COM12", "COM13", "COM14", "COM15", "COM16", "COM17", "COM18",
    "COM19", "COM20", "COM21", "COM22", "COM23", "COM24", "COM25", "COM26", "COM27",
    "COM28", "COM29", "COM30", "COM31", "COM32", texts::kDisconnected,
};

const char* PortName(int port)
{
    return port >= 0 && port < kPortCount ? portStrTable[port] : portStrTable[kPortNone];
}

namespace {

// ASCII only: the bytes of a double-byte character must never turn into letters.
char AsciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

int ParsePortStr(const char* text)
{
    static const char prefix[] = "COM";
    size_t i = 0;
    for (; i < 3; ++i) {
        if (AsciiUpper(text[i]) != prefix[i])
            return kPortNone;
    }
    int number = 0;
    for (; text[i] != '\0'; ++i) {
        if (i >= 6 || text[i] < '0' || text[i] > '9')
            return kPortNone;
        number = number * 10 + (text[i] - '0');
    }
    if (i == 3 || number < 1 || number > kPortCount)
        return kPortNone;
    return number - 1;
}
