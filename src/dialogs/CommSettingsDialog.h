// The communication settings dialog (template 6000): speed, data bits, stop bits and parity of a
// copy of the stored settings. OK writes the four choices into the copy; Cancel leaves it alone.
#ifndef MOKACOMM_COMM_SETTINGS_DIALOG_H
#define MOKACOMM_COMM_SETTINGS_DIALOG_H

#include "dialogs/ModalDialog.h"

class CommSettingsDialog : public ModalDialog {
public:
    CommSettingsDialog(const DCB& settings, HWND owner);

    // The copy made at construction, with the four choices written into it once OK was pressed.
    const DCB& Settings() const { return settings; }

private:
    INT_PTR OnInitDialog() override;
    void OnOk() override;

    DCB settings;
    HWND parityCombo = nullptr;
    HWND stopBitsCombo = nullptr;
    HWND byteSizeCombo = nullptr;
    HWND baudRateCombo = nullptr;
};

#endif
