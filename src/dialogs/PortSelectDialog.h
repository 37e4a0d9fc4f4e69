// The port selection dialog (template 6001): "切断" and the ports that the machine's hardware
// registry reports. OK closes the engine's port and opens the one chosen; Cancel changes nothing.
#ifndef MOKACOMM_PORT_SELECT_DIALOG_H
#define MOKACOMM_PORT_SELECT_DIALOG_H

#include "dialogs/ModalDialog.h"
#include "engine/CommPortEngine.h"

class PortSelectDialog : public ModalDialog {
public:
    // `engine` is not owned; the dialog lives for the modal loop only.
    PortSelectDialog(CommPortEngine& engine, HWND owner);

private:
    INT_PTR OnInitDialog() override;
    void OnOk() override;
    void SelectCurrentPort(CCommLib::PORT current);

    CommPortEngine& portEngine;
    HWND portCombo = nullptr;
};

#endif
