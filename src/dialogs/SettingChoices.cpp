#include "dialogs/SettingChoices.h"

#include "LibraryTexts.h"

// No text of a list begins with another of that list, so that selecting an item by its text's
// beginning (CB_SELECTSTRING) can only ever find the item itself.
const SettingChoice baudRateChoices[16] = {
    {110, L"   110"},    {300, L"   300"},    {600, L"   600"},    {1200, L"  1200"},
    {2400, L"  2400"},   {4800, L"  4800"},   {9600, L"  9600"},   {14400, L" 14400"},
    {19200, L" 19200"},  {38400, L" 38400"},  {56000, L" 56000"},  {57600, L" 57600"},
    {115200, L"115200"}, {128000, L"128000"}, {256000, L"256000"}, {0, nullptr},
};

const SettingChoice byteSizeChoices[6] = {
    {8, L"8"}, {7, L"7"}, {6, L"6"}, {5, L"5"}, {4, L"4"}, {0, nullptr},
};

const SettingChoice stopBitsChoices[4] = {
    {0, L"1  "}, // ONESTOPBIT
    {1, L"1.5"}, // ONE5STOPBITS
    {2, L"2  "}, // TWOSTOPBITS
    {0, nullptr},
};

// The order is not the order of the values.
const SettingChoice parityChoices[6] = {
    {0, texts::kParityNoneW},  // NOPARITY
    {2, texts::kParityEvenW},  // EVENPARITY
    {1, texts::kParityOddW},   // ODDPARITY
    {3, texts::kParityMarkW},  // MARKPARITY
    {4, texts::kParitySpaceW}, // SPACEPARITY
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
