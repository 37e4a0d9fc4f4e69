// The engine's settings operation: the platform's own dialog while a port is open, the library's
// dialog on the stored settings while none is. Either way a confirmed choice goes through SetDCB.
#include "LibraryTexts.h"
#include "dialogs/CommSettingsDialog.h"
#include "dialogs/FailureMessage.h"
#include "dialogs/OwnerWindowFinder.h"
#include "engine/CommPortEngine.h"

namespace {

// The record with no room for provider data.
static_assert(sizeof(COMMCONFIG) == 52, "COMMCONFIG is 52 bytes on 32- and 64-bit Windows");

// The open port's configuration as the platform's dialog leaves it; false when there is nothing
// to apply. `name` is a copy: the dialog works on the port as it was when the operation began.
bool EditOpenPort(CommPortEngine& engine, const char* name, HWND owner, DCB& chosen)
{
    COMMCONFIG config{};
    config.dwSize = sizeof config;
    DWORD size = sizeof config;
    if (!engine.Calls().GetCommConfig(engine.GetHandle(), &config, &size)) {
        ShowFailure(owner, texts::kDeviceInfoFailedW);
        return false;
    }
    // Zero for Cancel and for a dialog that failed alike; neither is reported.
    if (!engine.Calls().CommConfigDialogA(name, owner, &config))
        return false;
    chosen = config.dcb;
    return true;
}

bool EditStoredSettings(CommPortEngine& engine, HWND owner, DCB& chosen)
{
    CommSettingsDialog dialog(engine.GetDCB(), owner);
    if (dialog.Run() != IDOK)
        return false;
    chosen = dialog.Settings();
    return true;
}

} // namespace

void CommPortEngine::SettingDlg()
{
    const HWND owner = OwnerWindowFinder();
    char openPort[kPortNameSize] = "";
    if (const char* name = GetPortName())
        lstrcpynA(openPort, name, sizeof openPort);
    DCB chosen{};
    const bool edited = openPort[0] != '\0' ? EditOpenPort(*this, openPort, owner, chosen)
                                            : EditStoredSettings(*this, owner, chosen);
    if (!edited)
        return;
    // ERR_NOT_OPEN: stored for the next Open, which is what the library's dialog is for.
    const ERR result = SetDCB(chosen);
    if (result != CCommLib::ERR_OK && result != CCommLib::ERR_NOT_OPEN)
        ShowFailure(owner, texts::kSettingsFailedW);
}
