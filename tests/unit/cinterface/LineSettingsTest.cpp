#include <gtest/gtest.h>

#include "cinterface/LineSettings.h"

namespace {

// The record changes the fields it names: a flow control kind asked is turned on, one that was on
// and is not asked is turned off, its line held off; fields that make no whole kind stay alone.
TEST(LineSettings, WritesTheFieldsItNamesAndFlowControlByWholeKinds)
{
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = CBR_19200;
    dcb.ByteSize = 8;
    dcb.StopBits = TWOSTOPBITS;
    dcb.fOutxDsrFlow = 1;
    dcb.fDtrControl = DTR_CONTROL_HANDSHAKE;
    dcb.fOutxCtsFlow = 1; // with RTS merely enabled: no whole kind
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.XonLim = 123;
    MOKACOMM_SETTINGS settings{sizeof settings, 0, 0, 0, 0, 0};
    ReadLineSettings(dcb, settings);
    EXPECT_EQ(DWORD{MOKACOMM_FLOW_DTR_DSR}, settings.flowControl);

    WriteLineSettings({sizeof settings, 9600, 7, EVENPARITY, ONESTOPBIT, MOKACOMM_FLOW_XON_XOFF},
                      dcb);
    EXPECT_EQ(9600u, dcb.BaudRate);
    EXPECT_EQ(7, dcb.ByteSize);
    EXPECT_EQ(EVENPARITY, dcb.Parity);
    EXPECT_EQ(ONESTOPBIT, dcb.StopBits);
    EXPECT_TRUE(dcb.fOutX && dcb.fInX);
    EXPECT_FALSE(dcb.fOutxDsrFlow);
    EXPECT_EQ(DWORD{DTR_CONTROL_DISABLE}, dcb.fDtrControl);
    EXPECT_TRUE(dcb.fOutxCtsFlow);
    EXPECT_EQ(DWORD{RTS_CONTROL_ENABLE}, dcb.fRtsControl);
    EXPECT_EQ(123, dcb.XonLim);
    ReadLineSettings(dcb, settings);
    EXPECT_EQ(DWORD{MOKACOMM_FLOW_XON_XOFF}, settings.flowControl);
    EXPECT_EQ(sizeof(MOKACOMM_SETTINGS), settings.size);
}

} // namespace
