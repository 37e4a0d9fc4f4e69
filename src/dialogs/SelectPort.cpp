// The engine's select-port operation.
#include "dialogs/OwnerWindowFinder.h"
#include "dialogs/PortSelectDialog.h"
#include "engine/CommPortEngine.h"

void CommPortEngine::SelectPort()
{
    PortSelectDialog dialog(*this, OwnerWindowFinder());
    dialog.Run();
}
