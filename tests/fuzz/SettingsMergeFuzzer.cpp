// The merge of stored line settings into a port's state, for any two records.
#include <cstdint>
#include <cstring>

#include "FuzzCheck.h"
#include "NativeDcb.h"
#include "engine/SettingsMerge.h"

namespace {

// Which bits of the 28 bytes the stored record gives, from the DCB's documented layout rather
// than its field names: BaudRate (bytes 4-7), the low 15 bits of the flag word (bytes 8-11),
// XonLim to EofChar (bytes 14-24). The rest is the port's: DCBlength, fDummy2, wReserved, EvtChar
// and wReserved1.
struct StoredBits {
    std::uint8_t mask[sizeof(NativeDcb)] = {};
    StoredBits()
    {
        for (int i = 4; i < 8; ++i)
            mask[i] = 0xFF;
        mask[8] = 0xFF;
        mask[9] = 0x7F;
        for (int i = 14; i <= 24; ++i)
            mask[i] = 0xFF;
    }
};

NativeDcb Record(const std::uint8_t* data, std::size_t size, std::size_t from)
{
    std::uint8_t bytes[sizeof(NativeDcb)] = {};
    for (std::size_t i = 0; i < sizeof bytes && from + i < size; ++i)
        bytes[i] = data[from + i];
    NativeDcb d;
    std::memcpy(&d, bytes, sizeof d);
    return d;
}

bool Same(const NativeDcb& a, const NativeDcb& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const StoredBits stored;
    const NativeDcb s = Record(data, size, 0);
    const NativeDcb p = Record(data, size, sizeof(NativeDcb));
    const NativeDcb m = MergeLineSettings(s, p);

    std::uint8_t bs[sizeof s], bp[sizeof p], bm[sizeof m];
    std::memcpy(bs, &s, sizeof s);
    std::memcpy(bp, &p, sizeof p);
    std::memcpy(bm, &m, sizeof m);
    for (std::size_t i = 0; i < sizeof bm; ++i)
        FUZZ_CHECK(bm[i] == ((bs[i] & stored.mask[i]) | (bp[i] & ~stored.mask[i])));

    // The same by name.
    FUZZ_CHECK(m.DCBlength == p.DCBlength && m.BaudRate == s.BaudRate);
    FUZZ_CHECK(m.fBinary == s.fBinary && m.fParity == s.fParity);
    FUZZ_CHECK(m.fOutxCtsFlow == s.fOutxCtsFlow && m.fOutxDsrFlow == s.fOutxDsrFlow);
    FUZZ_CHECK(m.fDtrControl == s.fDtrControl && m.fDsrSensitivity == s.fDsrSensitivity);
    FUZZ_CHECK(m.fTXContinueOnXoff == s.fTXContinueOnXoff);
    FUZZ_CHECK(m.fOutX == s.fOutX && m.fInX == s.fInX);
    FUZZ_CHECK(m.fErrorChar == s.fErrorChar && m.fNull == s.fNull);
    FUZZ_CHECK(m.fRtsControl == s.fRtsControl && m.fAbortOnError == s.fAbortOnError);
    FUZZ_CHECK(m.fDummy2 == p.fDummy2 && m.wReserved == p.wReserved);
    FUZZ_CHECK(m.XonLim == s.XonLim && m.XoffLim == s.XoffLim);
    FUZZ_CHECK(m.ByteSize == s.ByteSize && m.Parity == s.Parity && m.StopBits == s.StopBits);
    FUZZ_CHECK(m.XonChar == s.XonChar && m.XoffChar == s.XoffChar);
    FUZZ_CHECK(m.ErrorChar == s.ErrorChar && m.EofChar == s.EofChar);
    FUZZ_CHECK(m.EvtChar == p.EvtChar && m.wReserved1 == p.wReserved1);

    // Opening twice with the same stored record changes nothing more, and a record merged into
    // itself stays as it is.
    FUZZ_CHECK(Same(MergeLineSettings(s, m), m));
    FUZZ_CHECK(Same(MergeLineSettings(s, s), s));
    return 0;
}
