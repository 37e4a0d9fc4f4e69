#include <cstring>

#include <gtest/gtest.h>

#include "DcbFlags.h"

#include "engine/SettingsMerge.h"
#include "base/Win32.h"

namespace {

DCB Filled(unsigned char byte)
{
    DCB d;
    std::memset(&d, byte, sizeof d);
    return d;
}

TEST(MergeLineSettings, TakesTheLineFromTheStoredRecordAndDriverPartsFromThePort)
{
    const DCB stored = Filled(0xA5);
    const DCB port = Filled(0x3C);
    const DCB merged = MergeLineSettings(stored, port);

    EXPECT_EQ(port.DCBlength, merged.DCBlength);
    EXPECT_EQ(stored.BaudRate, merged.BaudRate);
    EXPECT_EQ(FlagWord(stored) & 0x7FFFu, FlagWord(merged) & 0x7FFFu);
    EXPECT_EQ(FlagWord(port) & ~0x7FFFu, FlagWord(merged) & ~0x7FFFu);
    EXPECT_EQ(port.wReserved, merged.wReserved);
    EXPECT_EQ(stored.XonLim, merged.XonLim);
    EXPECT_EQ(stored.XoffLim, merged.XoffLim);
    EXPECT_EQ(stored.ByteSize, merged.ByteSize);
    EXPECT_EQ(stored.Parity, merged.Parity);
    EXPECT_EQ(stored.StopBits, merged.StopBits);
    EXPECT_EQ(stored.XonChar, merged.XonChar);
    EXPECT_EQ(stored.XoffChar, merged.XoffChar);
    EXPECT_EQ(stored.ErrorChar, merged.ErrorChar);
    EXPECT_EQ(stored.EofChar, merged.EofChar);
    EXPECT_EQ(port.EvtChar, merged.EvtChar);
    EXPECT_EQ(port.wReserved1, merged.wReserved1);
}

TEST(MergeLineSettings, CopiesEachOfTheFifteenLowFlagBitsOnItsOwn)
{
    for (int bit = 0; bit < 15; ++bit) {
        DCB stored = Filled(0);
        const DWORD one = 1u << bit;
        std::memcpy(reinterpret_cast<char*>(&stored) + offsetof(DCB, BaudRate) + 4, &one, 4);
        const DCB merged = MergeLineSettings(stored, Filled(0));
        EXPECT_EQ(one, FlagWord(merged)) << "bit " << bit;
    }
}

} // namespace
