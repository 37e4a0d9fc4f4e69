#include "cinterface/LineSettings.h"

namespace {

constexpr DWORD kFlowKinds[] = {MOKACOMM_FLOW_RTS_CTS, MOKACOMM_FLOW_DTR_DSR,
                                 MOKACOMM_FLOW_XON_XOFF};

DWORD FlowKinds(const DCB& dcb)
{
    DWORD kinds = 0;
    if (dcb.fOutxCtsFlow && dcb.fRtsControl == RTS_CONTROL_HANDSHAKE)
        kinds |= MOKACOMM_FLOW_RTS_CTS;
    if (dcb.fOutxDsrFlow && dcb.fDtrControl == DTR_CONTROL_HANDSHAKE)
        kinds |= MOKACOMM_FLOW_DTR_DSR;
    if (dcb.fOutX && dcb.fInX)
        kinds |= MOKACOMM_FLOW_XON_XOFF;
    return kinds;
}

// A kind turned off holds its line off, as the library's default settings do.
void SetFlowKind(DCB& dcb, DWORD kind, bool on)
{
    switch (kind) {
    case MOKACOMM_FLOW_RTS_CTS:
        dcb.fOutxCtsFlow = on;
        dcb.fRtsControl = on ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_DISABLE;
        break;
    case MOKACOMM_FLOW_DTR_DSR:
        dcb.fOutxDsrFlow = on;
        dcb.fDtrControl = on ? DTR_CONTROL_HANDSHAKE : DTR_CONTROL_DISABLE;
        break;
    default:
        dcb.fOutX = on;
        dcb.fInX = on;
        break;
    }
}

} // namespace

void ReadLineSettings(const DCB& dcb, MOKACOMM_SETTINGS& settings)
{
    settings.baudRate = dcb.BaudRate;
    settings.dataBits = dcb.ByteSize;
    settings.parity = dcb.Parity;
    settings.stopBits = dcb.StopBits;
    settings.flowControl = FlowKinds(dcb);
}

void WriteLineSettings(const MOKACOMM_SETTINGS& settings, DCB& dcb)
{
    dcb.BaudRate = settings.baudRate;
    dcb.ByteSize = static_cast<BYTE>(settings.dataBits);
    dcb.Parity = static_cast<BYTE>(settings.parity);
    dcb.StopBits = static_cast<BYTE>(settings.stopBits);
    const DWORD had = FlowKinds(dcb);
    for (const DWORD kind : kFlowKinds) {
        const bool asked = (settings.flowControl & kind) != 0;
        if (asked != ((had & kind) != 0))
            SetFlowKind(dcb, kind, asked);
    }
}
