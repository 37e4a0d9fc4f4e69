// The merge of the stored line settings into a port's current state when a port opens.
// Platform-free (a template over the settings record), so that it also builds natively.
#ifndef MOKACOMM_SETTINGS_MERGE_H
#define MOKACOMM_SETTINGS_MERGE_H

// The stored record gives the speed, framing, flow control and special characters; the port keeps
// what belongs to its driver: DCBlength as read, fDummy2 (the upper 17 flag bits), wReserved,
// EvtChar and wReserved1.
template <class Dcb>
Dcb MergeLineSettings(const Dcb& stored, Dcb port)
{
    port.BaudRate = stored.BaudRate;
    port.fBinary = stored.fBinary;
    port.fParity = stored.fParity;
    port.fOutxCtsFlow = stored.fOutxCtsFlow;
    port.fOutxDsrFlow = stored.fOutxDsrFlow;
    port.fDtrControl = stored.fDtrControl;
    port.fDsrSensitivity = stored.fDsrSensitivity;
    port.fTXContinueOnXoff = stored.fTXContinueOnXoff;
    port.fOutX = stored.fOutX;
    port.fInX = stored.fInX;
    port.fErrorChar = stored.fErrorChar;
    port.fNull = stored.fNull;
    port.fRtsControl = stored.fRtsControl;
    port.fAbortOnError = stored.fAbortOnError;
    port.XonLim = stored.XonLim;
    port.XoffLim = stored.XoffLim;
    port.ByteSize = stored.ByteSize;
    port.Parity = stored.Parity;
    port.StopBits = stored.StopBits;
    port.XonChar = stored.XonChar;
    port.XoffChar = stored.XoffChar;
    port.ErrorChar = stored.ErrorChar;
    port.EofChar = stored.EofChar;
    return port;
}

#endif
