// The exported class: every member hands the call to the engine.
#include "base/Win32.h"

#include "Mokacomm.h"
#include "interface/BoundCommPortEngine.h"
#include "interface/PortNames.h"

static_assert(sizeof(CCommLib) == 2 * sizeof(void*), "a vtable pointer and the engine pointer");
static_assert(CCommLib::PORT_NONE == kPortNone, "port numbers agree with the name table");

CCommLib::CCommLib(unsigned long outQueueSize, unsigned long inQueueSize)
    : engine(new BoundCommPortEngine(*this, outQueueSize, inQueueSize))
{
}

CCommLib::CCommLib(const CCommLib& other) : engine(other.engine)
{
    engine->Share();
}

CCommLib& CCommLib::operator=(const CCommLib& other)
{
    if (engine != other.engine) {
        other.engine->Share();
        BoundCommPortEngine* previous = engine;
        engine = other.engine;
        previous->Unshare(*this);
    }
    return *this;
}

CCommLib::~CCommLib()
{
    engine->Unshare(*this);
}

CCommLib::ERR CCommLib::Open(PORT port)
{
    return engine->Open(port);
}

CCommLib::ERR CCommLib::Close()
{
    return engine->Close();
}

CCommLib::ERR CCommLib::Send(const char* text)
{
    return engine->Send(text);
}

CCommLib::ERR CCommLib::Send(const void* data, unsigned long length, unsigned long* written)
{
    return engine->Send(data, length, written);
}

bool CCommLib::Receive(char* buffer, unsigned long length, unsigned long* received)
{
    return engine->Receive(buffer, length, received);
}

CCommLib::ERR CCommLib::SetDCB(const DCB& settings)
{
    return engine->SetDCB(settings);
}

const DCB& CCommLib::GetDCB()
{
    return engine->GetDCB();
}

CCommLib::PORT CCommLib::GetPort()
{
    return engine->GetPort();
}

void* CCommLib::GetHandle()
{
    return engine->GetHandle();
}

unsigned long CCommLib::GetLastError()
{
    return engine->GetLastError();
}

unsigned long CCommLib::GetLineStat()
{
    return engine->GetLineStat();
}

CCommLib::ERR CCommLib::SetLineStat(unsigned long function)
{
    return engine->SetLineStat(function);
}

void CCommLib::SelectPort()
{
    engine->SelectPort();
}

void CCommLib::SettingDlg()
{
    engine->SettingDlg();
}

const char* CCommLib::GetPortStr(PORT port)
{
    return PortName(static_cast<int>(port));
}

void CCommLib::EventRx(unsigned long) {}
void CCommLib::EventLine(unsigned long) {}
void CCommLib::EventTxEnd() {}
void CCommLib::EventError(COMSTAT&, unsigned long) {}
