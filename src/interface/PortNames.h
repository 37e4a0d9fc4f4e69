// Port numbers and their names. Number k - 1 is port COMk for k = 1..32; kPortNone (32) is no
// port, shown to the user as "切断". Platform-free, so that it also builds natively for fuzzing.
#ifndef MOKACOMM_PORT_NAMES_H
#define MOKACOMM_PORT_NAMES_H

constexpr int kPortCount = 32;
constexpr int kPortNone = kPortCount;
// The longest name, "COM32", and its NUL.
constexpr int kPortNameSize = 6;

extern const char* const portStrTable[kPortCount + 1];

// portStrTable[port] for 0..31, "切断" for every other value. Never null.
const char* PortName(int port);

// The number that `text` names: "COM" in any case followed by one to three decimal digits with a
// value of 1 to 32 (leading zeros allowed). Anything else gives kPortNone.
int ParsePortStr(const char* text);

#endif
