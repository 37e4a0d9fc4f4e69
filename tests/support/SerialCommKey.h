// The machine's port list, HKLM\HARDWARE\DEVICEMAP\SERIALCOMM, taken over by one test. Wine keeps
// the key volatile and shares it among every process of the prefix, so tests that change it hold
// the CTest resource lock "serialcomm".
#ifndef MOKACOMM_TESTS_SERIAL_COMM_KEY_H
#define MOKACOMM_TESTS_SERIAL_COMM_KEY_H

#include <string>
#include <vector>

#include "base/Win32.h"

class SerialCommKey {
public:
    // Saves the key's values as they are (or that there is no key).
    SerialCommKey();
    SerialCommKey(const SerialCommKey&) = delete;
    SerialCommKey& operator=(const SerialCommKey&) = delete;
    // Puts the saved values back, or removes the key when there was none.
    ~SerialCommKey();

    // Leaves the key without values, creating it when missing.
    bool Clear();
    bool Remove();
    // One value as given: the bytes are stored unchanged, with no NUL added.
    bool Set(const std::string& name, DWORD type, const std::string& data);
    // A REG_SZ value with its terminating NUL, as the platform's drivers write them: in UTF-16,
    // the name and the port as code page 932 spells them (as the tests' texts are compiled),
    // whatever the system's ANSI code page.
    bool SetPort(const std::string& name, const std::string& port);
    bool SetPort(const std::string& name, const std::wstring& port);

private:
    struct Value {
        std::wstring name;
        DWORD type;
        std::vector<BYTE> data;
    };

    bool existed = false;
    std::vector<Value> saved;
};

#endif
