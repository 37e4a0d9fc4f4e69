#include "dialogs/PortSelectDialog.h"

#include "LibraryTexts.h"
#include "base/RegistryKey.h"
#include "dialogs/ComboText.h"
#include "dialogs/FailureMessage.h"
#include "dialogs/RegistryText.h"
#include "dialogs/ResourceIds.h"
#include "interface/PortNames.h"

namespace {

void AddItem(HWND combo, const wchar_t* text)
{
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

// The item that names port 0..31, "COM1".."COM32", which are ASCII.
void PortItem(int port, wchar_t (&item)[kPortNameSize])
{
    const char* name = PortName(port);
    int i = 0;
    for (; name[i] != '\0'; ++i)
        item[i] = static_cast<wchar_t>(name[i]);
    item[i] = L'\0';
}

// Longest value name and text, in characters, and longest binary data, in bytes, that the list
// takes: anything longer ends the listing.
constexpr DWORD kLongestValue = 255;

// Strings are UTF-16 in the registry and are listed as they are: read through an ANSI code page,
// a name that it lacks would show as "?", or turn into a look-alike ("ＣＯＭ３" into "COM3").
bool IsText(DWORD type)
{
    return type == REG_SZ || type == REG_MULTI_SZ;
}

// Binary data as Windows shows a text of the system's ANSI code page: bytes that no character has
// (a lone lead byte, noise) show as the code page's default character. No ANSI code page makes
// more UTF-16 units than bytes, so `item` holds it all.
void BinaryItem(char* bytes, DWORD length, wchar_t (&item)[kLongestValue + 1])
{
    const int cut = static_cast<int>(CutRegistryText(bytes, kLongestValue + 1, length));
    item[MultiByteToWideChar(CP_ACP, 0, bytes, cut, item, kLongestValue)] = L'\0';
}

enum class Listing { KeyMissing, EnumerationFailed, Complete };

// Replaces the list with "切断" followed by the port names of HKLM\HARDWARE\DEVICEMAP\SERIALCOMM,
// in the key's order. The list is left alone when a key cannot be opened.
Listing ListRegistryPorts(HWND combo)
{
    // Declared outermost first, so that they close SERIALCOMM, DEVICEMAP, HARDWARE.
    RegistryKey hardware;
    RegistryKey deviceMap;
    RegistryKey serialComm;
    if (hardware.Open(HKEY_LOCAL_MACHINE, "HARDWARE", KEY_READ) != ERROR_SUCCESS ||
        deviceMap.Open(hardware.Get(), "DEVICEMAP", KEY_READ) != ERROR_SUCCESS ||
        serialComm.Open(deviceMap.Get(), "SERIALCOMM", KEY_READ) != ERROR_SUCCESS)
        return Listing::KeyMissing;

    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    AddItem(combo, texts::kDisconnectedW);
    wchar_t name[kLongestValue + 1];
    wchar_t data[kLongestValue + 1];
    wchar_t item[kLongestValue + 1];
    for (DWORD index = 0;; ++index) {
        // A name or a text that does not fit ends the listing with ERROR_MORE_DATA.
        DWORD nameLength = kLongestValue;
        DWORD dataSize = kLongestValue * sizeof(wchar_t);
        DWORD type = REG_NONE;
        const LONG result = RegEnumValueW(serialComm.Get(), index, name, &nameLength, nullptr,
                                          &type, reinterpret_cast<BYTE*>(data), &dataSize);
        if (result != ERROR_SUCCESS)
            return result == ERROR_NO_MORE_ITEMS ? Listing::Complete : Listing::EnumerationFailed;
        // Every type with an odd code is listed: REG_SZ and REG_BINARY are, REG_EXPAND_SZ and
        // REG_DWORD are not. The value's name is the driver's device, not shown.
        if (!(type & 1))
            continue;
        if (IsText(type)) {
            CutRegistryText(data, kLongestValue + 1, dataSize / sizeof(wchar_t));
            AddItem(combo, data);
        } else {
            if (dataSize > kLongestValue)
                return Listing::EnumerationFailed;
            BinaryItem(reinterpret_cast<char*>(data), dataSize, item);
            AddItem(combo, item);
        }
    }
}

// The port that an item other than "切断" names, PORT_NONE for any text that is not COM1..COM32.
// The item goes to the parser in code page 932, the library's own, without best fit: a character
// that only looks like a letter or digit ("¹") must not make a port name.
CCommLib::PORT ItemPort(const wchar_t* item)
{
    const int size =
        WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, item, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return CCommLib::PORT_NONE;
    HeapText<char> bytes(static_cast<SIZE_T>(size));
    if (!bytes || WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, item, -1, bytes.Get(), size,
                                      nullptr, nullptr) != size)
        return CCommLib::PORT_NONE;
    return static_cast<CCommLib::PORT>(ParsePortStr(bytes.Get()));
}

} // namespace

PortSelectDialog::PortSelectDialog(CommPortEngine& engine, HWND owner)
    : ModalDialog(IDD_PORT_SELECT, owner), portEngine(engine)
{
}

INT_PTR PortSelectDialog::OnInitDialog()
{
    portCombo = GetDlgItem(Window(), IDC_PORT_LIST);
    // The built-in list, which stays when the registry cannot be read: item k + 1 is port k.
    AddItem(portCombo, texts::kDisconnectedW);
    wchar_t item[kPortNameSize];
    for (int port = 0; port < kPortCount; ++port) {
        PortItem(port, item);
        AddItem(portCombo, item);
    }
    const CCommLib::PORT current = portEngine.GetPort();
    SendMessageW(portCombo, CB_SETCURSEL, current == CCommLib::PORT_NONE ? 0 : current + 1, 0);

    switch (ListRegistryPorts(portCombo)) {
    case Listing::KeyMissing:
        ShowFailure(Window(), texts::kHardwareInfoFailedW);
        return TRUE;
    case Listing::EnumerationFailed:
        // Nothing is selected, and no initial focus is set.
        ShowFailure(Window(), texts::kHardwareInfoFailedW);
        return FALSE;
    case Listing::Complete:
        break;
    }
    SelectCurrentPort(current);
    return TRUE;
}

void PortSelectDialog::SelectCurrentPort(CCommLib::PORT current)
{
    LRESULT item = 0;
    if (current != CCommLib::PORT_NONE) {
        // Whole texts, ignoring case; the search starts after item 0 and wraps round to it.
        wchar_t name[kPortNameSize];
        PortItem(current, name);
        item = SendMessageW(portCombo, CB_FINDSTRINGEXACT, 0, reinterpret_cast<LPARAM>(name));
        if (item == CB_ERR)
            item = 0;
    }
    SendMessageW(portCombo, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
}

void PortSelectDialog::OnOk()
{
    const CCommLib::PORT previous = portEngine.GetPort();
    portEngine.Close();

    // With nothing selected the port that was open is opened again. An item that names no port
    // (COM40, which USB adapters often get, or a device that is no COM port) gives PORT_NONE, as
    // does reopening when none was open: Open refuses it, the failure is shown like any other,
    // and the user can choose again. Only "切断" leaves the port closed and ends the dialog.
    CCommLib::PORT port = previous;
    HeapText<wchar_t> text;
    if (ComboItemText(portCombo, SendMessageW(portCombo, CB_GETCURSEL, 0, 0), text)) {
        if (CompareStringOrdinal(text.Get(), -1, texts::kDisconnectedW, -1, FALSE) == CSTR_EQUAL) {
            End(IDOK);
            return;
        }
        port = ItemPort(text.Get());
    }

    const CCommLib::ERR result = portEngine.Open(port);
    if (result == CCommLib::ERR_OK) {
        End(IDOK);
        return;
    }
    ShowFailure(Window(), result == CCommLib::ERR_SET_STATE ? texts::kOpenSettingsFailedW
                                                            : texts::kPortOpenFailedW);
}
