#include <gtest/gtest.h>

#include "cinterface/LineSettings.h"

namespace {

DCB Plain()
{
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = CBR_19200;
    dcb.ByteSize = 8;
    dcb.StopBits = TWOSTOPBITS;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    return dcb;
}

MOKACOMM_SETTINGS Read(const DCB& dcb)
{
    MOKACOMM_SETTINGS settings{sizeof settings, 0, 0, 0, 0, 0};
    ReadLineSettings(dcb, settings);
    return settings;
}

TEST(LineSettings, WriteChangesTheNamedFieldsAndReadGivesThemBack)
{
    DCB dcb = Plain();
    dcb.XonLim = 123;
    WriteLineSettings({sizeof(MOKACOMM_SETTINGS), 9600, 7, EVENPARITY, ONESTOPBIT,
                       MOKACOMM_FLOW_RTS_CTS | MOKACOMM_FLOW_XON_XOFF},
                      dcb);
    EXPECT_EQ(9600u, dcb.BaudRate);
    EXPECT_EQ(7, dcb.ByteSize);
    EXPECT_EQ(EVENPARITY, dcb.Parity);
    EXPECT_EQ(ONESTOPBIT, dcb.StopBits);
    EXPECT_TRUE(dcb.fOutxCtsFlow);
    EXPECT_EQ(DWORD{RTS_CONTROL_HANDSHAKE}, dcb.fRtsControl);
    EXPECT_TRUE(dcb.fOutX && dcb.fInX);
    EXPECT_FALSE(dcb.fOutxDsrFlow);
    EXPECT_EQ(DWORD{DTR_CONTROL_ENABLE}, dcb.fDtrControl);
    EXPECT_EQ(123, dcb.XonLim);
    const MOKACOMM_SETTINGS read = Read(dcb);
    EXPECT_EQ(DWORD{MOKACOMM_FLOW_RTS_CTS | MOKACOMM_FLOW_XON_XOFF}, read.flowControl);
    EXPECT_EQ(sizeof(MOKACOMM_SETTINGS), read.size);
}

// A kind that was on and is not asked is turned off, its line held off; flow control fields that
// make no whole kind are not the record's, and stay as they are.
TEST(LineSettings, FlowControlKindsTurnOffWholeAndPartsStayAlone)
{
    DCB dcb = Plain();
    dcb.fOutxDsrFlow = 1;
    dcb.fDtrControl = DTR_CONTROL_HANDSHAKE;
    dcb.fOutxCtsFlow = 1; // with RTS merely enabled: no whole kind
    dcb.fOutX = 1;
    MOKACOMM_SETTINGS settings = Read(dcb);
    EXPECT_EQ(DWORD{MOKACOMM_FLOW_DTR_DSR}, settings.flowControl);
    settings.flowControl = 0;
    WriteLineSettings(settings, dcb);
    EXPECT_FALSE(dcb.fOutxDsrFlow);
    EXPECT_EQ(DWORD{DTR_CONTROL_DISABLE}, dcb.fDtrControl);
    EXPECT_TRUE(dcb.fOutxCtsFlow);
    EXPECT_EQ(DWORD{RTS_CONTROL_ENABLE}, dcb.fRtsControl);
    EXPECT_TRUE(dcb.fOutX);
    EXPECT_FALSE(dcb.fInX);
}

} // namespace
