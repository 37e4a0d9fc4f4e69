// The four lists of the communication settings dialog: the value that goes into the DCB field
// and the item text shown for it (UTF-16 in the built library). Each table ends with an entry
// whose text is null. Platform-free.
#ifndef MOKACOMM_SETTING_CHOICES_H
#define MOKACOMM_SETTING_CHOICES_H

#include <stddef.h>

struct SettingChoice {
    unsigned long value;
    const wchar_t* text;
};

extern const SettingChoice baudRateChoices[16]; // BaudRate, list 6000
extern const SettingChoice byteSizeChoices[6];  // ByteSize, list 6001
extern const SettingChoice stopBitsChoices[4];  // StopBits, list 6002
extern const SettingChoice parityChoices[6];    // Parity, list 6003

// The number of entries before the terminating one.
size_t ChoiceCount(const SettingChoice* table);

// The index of the first entry whose value is `value`; 0, the first entry, when none is.
size_t ChoiceIndex(const SettingChoice* table, unsigned long value);

#endif
