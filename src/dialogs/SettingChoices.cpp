#include "dialogs/SettingChoices.h"

#include "LibraryTexts.h"

// The texts of one list share one length, so that selecting an item by its text's beginning
// (CB_SELECTSTRING) can only ever find the item itself.
const SettingChoice baudRateChoices[16] = {
    {110, "   110"},    {300, "   300"},    {600, "   600"},    {1200, "  1200"},
    {2400, "  2400"},   {4800, "  4800"},   {9600, "  9600"},   {14400, " 14400"},
    {19200, " 19200"},  {38400, " 38400"},  {56000, " 56000"},  {57600, " 57600"},
    {115200, "115200"}, {128000, "128000"}, {256000, "256000"}, {0, nullptr},
};

const SettingChoice byteSizeChoices[6] = {
    {8, "8"}, {7, "7"}, {6, "6"}, {5, "5"}, {4, "4"}, {0, nullptr},
};

const SettingChoice stopBitsChoices[4] = {
    {0, "1  "}, // ONESTOPBIT
    {1, "1.5"}, // ONE5STOPBITS
    {2, "2  "}, // TWOSTOPBITS
    {0, nullptr},
};

// The order is not the order of the values.
const SettingChoice parityChoices[6] = {
    {0, texts::kParityNone},  // NOPARITY
    {2, texts::kParityEven},  // EVENPARITY
    {1, texts::kParityOdd},   // ODDPARITY
    {3, texts::kParityMark},  // MARKPARITY
    {4, texts::kParitySpace}, // SPACEPARITY
    {0, nullptr},
};

size_t ChoiceCount(const SettingChoice* table)
{
    size_t count = 0;
    while (table[count].text)
        ++count;
    return count;
}

size_t ChoiceIndex(const SettingChoice* table, unsigned long value)
{
    for (size_t i = 0; table[i].text; ++i) {
        if (table[i].value == value)
            return i;
    }
    return 0;
}
