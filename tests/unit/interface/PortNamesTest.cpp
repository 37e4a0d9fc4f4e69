#include <string>

#include <gtest/gtest.h>

#include "Mokacomm.h"
#include "interface/PortNames.h"

namespace {

TEST(GetPortStr, NamesEveryPortAndDisconnectedForTheRest)
{
    for (int p = 0; p < 32; ++p) {
        EXPECT_EQ(std::string("COM") + std::to_string(p + 1),
                  CCommLib::GetPortStr(static_cast<CCommLib::PORT>(p)));
    }
    const std::string disconnected = "\x90\xD8\x92\x66"; // 切断 in code page 932
    for (int p : {32, 33, 1000, -1}) {
        const char* name = CCommLib::GetPortStr(static_cast<CCommLib::PORT>(p));
        ASSERT_NE(nullptr, name);
        EXPECT_EQ(disconnected, name) << p;
        // Always the one static text, never a copy.
        EXPECT_EQ(portStrTable[kPortNone], name);
    }
}

TEST(ParsePortStr, AcceptsComOneToThirtyTwoInAnyCaseWithLeadingZeros)
{
    const struct {
        const char* text;
        int port;
    } cases[] = {
        {"COM1", 0},   {"com12", 11}, {"CoM3", 2},  {"COM032", 31},
        {"COM007", 6}, {"COM32", 31}, {"cOm09", 8}, {"COM10", 9},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.port, ParsePortStr(c.text)) << c.text;
}

TEST(ParsePortStr, RejectsEverythingElse)
{
    const char* const texts[] = {
        "COM0", "COM000", "COM33", "COM999", "COM0001", "COM", "", "COM 1", "COM1 ", "COM1:",
        "\\\\.\\COM1", "XCOM1", "\x90\xD8\x92\x66", "CON", "LPT1", "COMA", "COM-1", "COM+1",
        "COM1\x82\xA0", " COM1",
    };
    for (const char* text : texts)
        EXPECT_EQ(kPortNone, ParsePortStr(text)) << '"' << text << '"';
}

TEST(ParsePortStr, ReadsBackEveryNameOfTheTable)
{
    for (int p = 0; p <= kPortNone; ++p)
        EXPECT_EQ(p, ParsePortStr(PortName(p)));
}

} // namespace
