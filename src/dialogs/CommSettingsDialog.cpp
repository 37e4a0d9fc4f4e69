#include "dialogs/CommSettingsDialog.h"

#include "dialogs/ResourceIds.h"
#include "dialogs/SettingChoices.h"

namespace {

// Lists the table in its order and selects the entry for `current`, or the first entry when the
// table has none for it.
void FillList(HWND combo, const SettingChoice* table, unsigned long current)
{
    for (const SettingChoice* choice = table; choice->text; ++choice)
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice->text));
    // The list is unsorted, so item i is entry i, and no text of a table begins with another, so
    // matching by the text's beginning finds that very item.
    SendMessageW(combo, CB_SELECTSTRING, 0,
                 reinterpret_cast<LPARAM>(table[ChoiceIndex(table, current)].text));
}

// The value of the selected entry; false when the selection names no entry of the table, and
// the field is then left as it was.
bool SelectedValue(HWND combo, const SettingChoice* table, unsigned long& value)
{
    const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index < 0 || static_cast<size_t>(index) >= ChoiceCount(table))
        return false;
    value = table[index].value;
    return true;
}

void StoreByte(HWND combo, const SettingChoice* table, BYTE& field)
{
    unsigned long value = 0;
    if (SelectedValue(combo, table, value))
        field = static_cast<BYTE>(value);
}

} // namespace

CommSettingsDialog::CommSettingsDialog(const DCB& settings, HWND owner)
    : ModalDialog(IDD_COMM_SETTINGS, owner), settings(settings)
{
}

INT_PTR CommSettingsDialog::OnInitDialog()
{
    baudRateCombo = GetDlgItem(Window(), IDC_BAUD_RATE);
    byteSizeCombo = GetDlgItem(Window(), IDC_BYTE_SIZE);
    stopBitsCombo = GetDlgItem(Window(), IDC_STOP_BITS);
    parityCombo = GetDlgItem(Window(), IDC_PARITY);
    FillList(baudRateCombo, baudRateChoices, settings.BaudRate);
    FillList(byteSizeCombo, byteSizeChoices, settings.ByteSize);
    FillList(stopBitsCombo, stopBitsChoices, settings.StopBits);
    FillList(parityCombo, parityChoices, settings.Parity);
    return TRUE;
}

void CommSettingsDialog::OnOk()
{
    unsigned long baudRate = 0;
    if (SelectedValue(baudRateCombo, baudRateChoices, baudRate))
        settings.BaudRate = baudRate;
    StoreByte(byteSizeCombo, byteSizeChoices, settings.ByteSize);
    StoreByte(stopBitsCombo, stopBitsChoices, settings.StopBits);
    StoreByte(parityCombo, parityChoices, settings.Parity);
    End(IDOK);
}
