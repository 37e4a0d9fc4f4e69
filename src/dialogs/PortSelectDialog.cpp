#include "dialogs/PortSelectDialog.h"

#include "LibraryTexts.h"
#include "dialogs/ComboText.h"
#include "dialogs/FailureMessage.h"
#include "dialogs/RegKeyHolder.h"
#include "dialogs/RegistryText.h"
#include "dialogs/ResourceIds.h"
#include "interface/PortNames.h"

namespace {

void AddItem(HWND combo, const char* text)
{
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

enum class Listing { KeyMissing, EnumerationFailed, Complete };

// Replaces the list with "切断" followed by the port names of HKLM\HARDWARE\DEVICEMAP\SERIALCOMM,
// in the key's order. The list is left alone when a key cannot be opened.
Listing ListRegistryPorts(HWND combo)
{
    // Declared outermost first, so that they close SERIALCOMM, DEVICEMAP, HARDWARE.
    RegKeyHolder hardware;
    RegKeyHolder deviceMap;
    RegKeyHolder serialComm;
    if (hardware.Open(HKEY_LOCAL_MACHINE, "HARDWARE", KEY_READ) != ERROR_SUCCESS ||
        deviceMap.Open(hardware.Get(), "DEVICEMAP", KEY_READ) != ERROR_SUCCESS ||
        serialComm.Open(deviceMap.Get(), "SERIALCOMM", KEY_READ) != ERROR_SUCCESS)
        return Listing::KeyMissing;

    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    AddItem(combo, PortName(kPortNone));
    char name[256];
    char data[256];
    for (DWORD index = 0;; ++index) {
        // A name or data of more than 255 bytes ends the listing with ERROR_MORE_DATA.
        DWORD nameLength = sizeof name - 1;
        DWORD dataLength = sizeof data - 1;
        DWORD type = REG_NONE;
        const LONG result = RegEnumValueA(serialComm.Get(), index, name, &nameLength, nullptr,
                                          &type, reinterpret_cast<BYTE*>(data), &dataLength);
        if (result != ERROR_SUCCESS)
            return result == ERROR_NO_MORE_ITEMS ? Listing::Complete : Listing::EnumerationFailed;
        // Every type with an odd code is listed: REG_SZ and REG_BINARY are, REG_EXPAND_SZ and
        // REG_DWORD are not. The value's name is the driver's device, not shown.
        if (type & 1) {
            CutRegistryText(data, sizeof data, dataLength);
            AddItem(combo, data);
        }
    }
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
    AddItem(portCombo, PortName(kPortNone));
    for (int port = 0; port < kPortCount; ++port)
        AddItem(portCombo, PortName(port));
    const CCommLib::PORT current = portEngine.GetPort();
    SendMessageA(portCombo, CB_SETCURSEL, current == CCommLib::PORT_NONE ? 0 : current + 1, 0);

    switch (ListRegistryPorts(portCombo)) {
    case Listing::KeyMissing:
        ShowFailure(Window(), texts::kHardwareInfoFailed);
        return TRUE;
    case Listing::EnumerationFailed:
        // Nothing is selected, and no initial focus is set.
        ShowFailure(Window(), texts::kHardwareInfoFailed);
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
        item = SendMessageA(portCombo, CB_FINDSTRINGEXACT, 0,
                            reinterpret_cast<LPARAM>(PortName(current)));
        if (item == CB_ERR)
            item = 0;
    }
    SendMessageA(portCombo, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
}

void PortSelectDialog::OnOk()
{
    const CCommLib::PORT previous = portEngine.GetPort();
    portEngine.Close();

    // With nothing selected the port that was open is opened again; when none was, Open refuses
    // PORT_NONE and the failure is shown like any other.
    CCommLib::PORT port = previous;
    HeapText text;
    if (ComboItemText(portCombo, SendMessageA(portCombo, CB_GETCURSEL, 0, 0), text)) {
        port = static_cast<CCommLib::PORT>(ParsePortStr(text.Get()));
        if (port == CCommLib::PORT_NONE) {
            End(IDOK);
            return;
        }
    }

    const CCommLib::ERR result = portEngine.Open(port);
    if (result == CCommLib::ERR_OK) {
        End(IDOK);
        return;
    }
    ShowFailure(Window(), result == CCommLib::ERR_SET_STATE ? texts::kOpenSettingsFailed
                                                            : texts::kPortOpenFailed);
}
