// The exported functions of MokacommC.dll (MokacommC.def names them): each checks its arguments,
// converts them, and hands the call to the port object, whose result it returns as it is.
#include "base/Win32.h"

#include "MokacommC.h"
#include "base/Runtime.h"
#include "cinterface/LineSettings.h"
#include "cinterface/MokacommPort.h"

static_assert(MOKACOMM_ERR_IO == CCommLib::ERR_IO &&
                  MOKACOMM_ERR_NOT_OPEN == CCommLib::ERR_NOT_OPEN,
              "the class's result codes under the class's numbers");
static_assert(MOKACOMM_PORT_NONE == CCommLib::PORT_NONE, "the class's port numbers");

namespace {

// A number outside the enumeration's values is no port, which is what the class makes of one.
CCommLib::PORT PortNumber(int number)
{
    return number >= 0 && number < MOKACOMM_PORT_NONE ? static_cast<CCommLib::PORT>(number)
                                                      : CCommLib::PORT_NONE;
}

} // namespace

DWORD WINAPI MokacommVersion(void)
{
    return MOKACOMM_MAKE_VERSION(MOKACOMM_VERSION_MAJOR, MOKACOMM_VERSION_MINOR,
                                 MOKACOMM_VERSION_PATCH);
}

int WINAPI MokacommCreate(MokacommPort** port, DWORD outQueueSize, DWORD inQueueSize)
{
    if (!port)
        return MOKACOMM_ERR_ARGUMENT;
    *port = nullptr;
    // Construction is the one operation of the class whose failure is an exception: std::bad_alloc,
    // or std::runtime_error when Windows refuses the engine's events. It ends here.
    try {
        *port = new MokacommPort(outQueueSize, inQueueSize);
    } catch (const std::bad_alloc&) {
        return MOKACOMM_ERR_NO_MEMORY;
    } catch (...) {
        return MOKACOMM_ERR_NO_RESOURCES;
    }
    return MOKACOMM_ERR_OK;
}

void WINAPI MokacommDestroy(MokacommPort* port)
{
    delete port;
}

int WINAPI MokacommOpen(MokacommPort* port, int number)
{
    return port ? port->Open(PortNumber(number)) : MOKACOMM_ERR_ARGUMENT;
}

int WINAPI MokacommClose(MokacommPort* port)
{
    return port ? port->Close() : MOKACOMM_ERR_ARGUMENT;
}

int WINAPI MokacommSendText(MokacommPort* port, const char* text)
{
    return port && text ? port->Send(text) : MOKACOMM_ERR_ARGUMENT;
}

int WINAPI MokacommSend(MokacommPort* port, const void* data, DWORD length, DWORD* written)
{
    if (!port || !written || (!data && length != 0))
        return MOKACOMM_ERR_ARGUMENT;
    return port->Send(data, length, written);
}

int WINAPI MokacommReceive(MokacommPort* port, void* buffer, DWORD length, DWORD* received)
{
    if (!port || !received || (!buffer && length != 0))
        return MOKACOMM_ERR_ARGUMENT;
    return port->Receive(static_cast<char*>(buffer), length, received) ? MOKACOMM_ERR_OK
                                                                       : MOKACOMM_ERR_RECEIVE;
}

int WINAPI MokacommSetDCB(MokacommPort* port, const DCB* settings)
{
    return port && settings ? port->SetDCB(*settings) : MOKACOMM_ERR_ARGUMENT;
}

int WINAPI MokacommGetDCB(MokacommPort* port, DCB* settings)
{
    if (!port || !settings)
        return MOKACOMM_ERR_ARGUMENT;
    *settings = port->GetDCB();
    return MOKACOMM_ERR_OK;
}

int WINAPI MokacommSetSettings(MokacommPort* port, const MOKACOMM_SETTINGS* settings)
{
    if (!port || !settings || settings->size < sizeof *settings)
        return MOKACOMM_ERR_ARGUMENT;
    DCB dcb = port->GetDCB();
    WriteLineSettings(*settings, dcb);
    return port->SetDCB(dcb);
}

int WINAPI MokacommGetSettings(MokacommPort* port, MOKACOMM_SETTINGS* settings)
{
    if (!port || !settings || settings->size < sizeof *settings)
        return MOKACOMM_ERR_ARGUMENT;
    ReadLineSettings(port->GetDCB(), *settings);
    return MOKACOMM_ERR_OK;
}

int WINAPI MokacommGetPort(MokacommPort* port)
{
    return port ? port->GetPort() : MOKACOMM_PORT_NONE;
}

HANDLE WINAPI MokacommGetHandle(MokacommPort* port)
{
    return port ? port->GetHandle() : nullptr;
}

DWORD WINAPI MokacommGetLastError(MokacommPort* port)
{
    return port ? port->GetLastError() : 0;
}

DWORD WINAPI MokacommGetLineStat(MokacommPort* port)
{
    return port ? port->GetLineStat() : 0;
}

int WINAPI MokacommSetLineStat(MokacommPort* port, DWORD function)
{
    return port ? port->SetLineStat(function) : MOKACOMM_ERR_ARGUMENT;
}

int WINAPI MokacommSelectPort(MokacommPort* port)
{
    if (!port)
        return MOKACOMM_ERR_ARGUMENT;
    port->SelectPort();
    return MOKACOMM_ERR_OK;
}

int WINAPI MokacommSettingDlg(MokacommPort* port)
{
    if (!port)
        return MOKACOMM_ERR_ARGUMENT;
    port->SettingDlg();
    return MOKACOMM_ERR_OK;
}

int WINAPI MokacommGetPortNameA(int number, char* name, DWORD size)
{
    const char* text = CCommLib::GetPortStr(PortNumber(number));
    const int length = lstrlenA(text) + 1;
    if (!name || size < static_cast<DWORD>(length))
        return MOKACOMM_ERR_ARGUMENT;
    lstrcpynA(name, text, length);
    return MOKACOMM_ERR_OK;
}

// The class's names are code page 932, which Windows converts whatever its ANSI code page.
int WINAPI MokacommGetPortNameW(int number, WCHAR* name, DWORD size)
{
    const char* text = CCommLib::GetPortStr(PortNumber(number));
    // No more room than a name takes: a size beyond int's range would fail the conversion.
    const int room =
        static_cast<int>(size < MOKACOMM_PORT_NAME_SIZE ? size : MOKACOMM_PORT_NAME_SIZE);
    if (!name || MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, text, -1, name, room) == 0)
        return MOKACOMM_ERR_ARGUMENT;
    return MOKACOMM_ERR_OK;
}

int WINAPI MokacommSetCallbacks(MokacommPort* port, MokacommRxCallback rx,
                                MokacommLineCallback line, MokacommTxEndCallback txEnd,
                                MokacommErrorCallback error, void* context)
{
    if (!port)
        return MOKACOMM_ERR_ARGUMENT;
    return port->UseCallbacks({rx, line, txEnd, error, context}) ? MOKACOMM_ERR_OK
                                                                  : MOKACOMM_ERR_ALREADY;
}

int WINAPI MokacommSetWindow(MokacommPort* port, HWND window, UINT message)
{
    if (!port || !window)
        return MOKACOMM_ERR_ARGUMENT;
    return port->UseWindow(window, message) ? MOKACOMM_ERR_OK : MOKACOMM_ERR_ALREADY;
}

int WINAPI MokacommSetQueue(MokacommPort* port)
{
    if (!port)
        return MOKACOMM_ERR_ARGUMENT;
    return port->UseQueue() ? MOKACOMM_ERR_OK : MOKACOMM_ERR_ALREADY;
}

int WINAPI MokacommWaitEvent(MokacommPort* port, DWORD timeout, MOKACOMM_EVENT* event)
{
    if (!port || !event || event->size < sizeof *event)
        return MOKACOMM_ERR_ARGUMENT;
    EventQueue* queue = port->Queue();
    if (!queue)
        return MOKACOMM_ERR_NOT_QUEUED;
    return queue->Take(timeout, *event) ? MOKACOMM_ERR_OK : MOKACOMM_ERR_TIMEOUT;
}
