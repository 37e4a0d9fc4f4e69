// The Win32 DCB's layout and field names, for building the settings merge natively.
#ifndef MOKACOMM_FUZZ_NATIVE_DCB_H
#define MOKACOMM_FUZZ_NATIVE_DCB_H

#include <cstddef>
#include <cstdint>

struct NativeDcb {
    std::uint32_t DCBlength;
    std::uint32_t BaudRate;
    std::uint32_t fBinary : 1;
    std::uint32_t fParity : 1;
    std::uint32_t fOutxCtsFlow : 1;
    std::uint32_t fOutxDsrFlow : 1;
    std::uint32_t fDtrControl : 2;
    std::uint32_t fDsrSensitivity : 1;
    std::uint32_t fTXContinueOnXoff : 1;
    std::uint32_t fOutX : 1;
    std::uint32_t fInX : 1;
    std::uint32_t fErrorChar : 1;
    std::uint32_t fNull : 1;
    std::uint32_t fRtsControl : 2;
    std::uint32_t fAbortOnError : 1;
    std::uint32_t fDummy2 : 17;
    std::uint16_t wReserved;
    std::uint16_t XonLim;
    std::uint16_t XoffLim;
    std::uint8_t ByteSize;
    std::uint8_t Parity;
    std::uint8_t StopBits;
    char XonChar;
    char XoffChar;
    char ErrorChar;
    char EofChar;
    char EvtChar;
    std::uint16_t wReserved1;
};

static_assert(sizeof(NativeDcb) == 28, "the size of DCB");
static_assert(offsetof(NativeDcb, wReserved) == 12, "DCB.wReserved");
static_assert(offsetof(NativeDcb, XonLim) == 14, "DCB.XonLim");
static_assert(offsetof(NativeDcb, ByteSize) == 18, "DCB.ByteSize");
static_assert(offsetof(NativeDcb, XonChar) == 21, "DCB.XonChar");
static_assert(offsetof(NativeDcb, EvtChar) == 25, "DCB.EvtChar");
static_assert(offsetof(NativeDcb, wReserved1) == 26, "DCB.wReserved1");

#endif
