// Bytes, exclusive opening and the lifetime of pairs.
#include <string>
#include <vector>

#include "LinuxSide.h"
#include "RigPairTest.h"

namespace {

std::vector<unsigned char> EveryByte()
{
    std::vector<unsigned char> bytes(256);
    for (size_t i = 0; i < bytes.size(); i++)
        bytes[i] = static_cast<unsigned char>(i);
    return bytes;
}

}  // namespace

using RigDataTest = RigPairTest;

// Every byte value, XON, XOFF, CR and NUL among them, crosses unchanged: the ptys are raw.
TEST_F(RigDataTest, EveryByteCrossesBothWays)
{
    const std::vector<unsigned char> sent = EveryByte();
    std::vector<unsigned char> got(sent.size());
    DWORD error = 0;

    ASSERT_TRUE(a->Write(sent.data(), 256, kEventWaitMs, &error)) << "error " << error;
    ASSERT_TRUE(b->Read(got.data(), 256, kEventWaitMs, &error)) << "error " << error;
    EXPECT_EQ(sent, got) << "COM" << pair.ComA() << " to COM" << pair.ComB();

    got.assign(got.size(), 0);
    ASSERT_TRUE(b->Write(sent.data(), 256, kEventWaitMs, &error)) << "error " << error;
    ASSERT_TRUE(a->Read(got.data(), 256, kEventWaitMs, &error)) << "error " << error;
    EXPECT_EQ(sent, got) << "COM" << pair.ComB() << " to COM" << pair.ComA();
}

// As on Windows, a port is open once at a time, whatever the share mode.
TEST_F(RigDataTest, SecondOpenIsDeniedUntilTheFirstCloses)
{
    RigPort second(pair.ComA());
    EXPECT_FALSE(second.IsOpen());
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), second.OpenError());

    a->Close();
    RigPort third(pair.ComA());
    EXPECT_TRUE(third.IsOpen()) << "error " << third.OpenError();
}

TEST(RigPathTest, LinuxPathIsThePeerOfTheOtherPort)
{
    NullModemPair pair;
    ASSERT_TRUE(pair.Ok()) << pair.Error();
    const std::string path = pair.LinuxPath(pair.ComB());
    ASSERT_FALSE(path.empty()) << pair.Error();

    RigPort a(pair.ComA());
    ASSERT_TRUE(a.IsOpen()) << "error " << a.OpenError();
    HANDLE linuxEnd = CreateFileA(WindowsPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, linuxEnd) << path << ": error " << GetLastError();
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(linuxEnd, "path", 4, &written, nullptr));
    CloseHandle(linuxEnd);

    char got[4] = {};
    DWORD error = 0;
    ASSERT_TRUE(a.Read(got, 4, kEventWaitMs, &error)) << "error " << error;
    EXPECT_EQ("path", std::string(got, 4));
}

TEST(RigLifetimeTest, PairsAreDistinctAndGoAwayWithTheirObject)
{
    int first = 0;
    {
        NullModemPair one, two;
        ASSERT_TRUE(one.Ok()) << one.Error();
        ASSERT_TRUE(two.Ok()) << two.Error();
        EXPECT_NE(one.ComA(), one.ComB());
        EXPECT_NE(one.ComA(), two.ComA());
        EXPECT_NE(one.ComA(), two.ComB());
        EXPECT_NE(one.ComB(), two.ComA());
        EXPECT_NE(one.ComB(), two.ComB());

        RigPort a(one.ComA()), other(two.ComB());
        ASSERT_TRUE(a.IsOpen()) << "error " << a.OpenError();
        ASSERT_TRUE(other.IsOpen()) << "error " << other.OpenError();
        first = one.ComA();
    }
    RigPort gone(first);
    EXPECT_FALSE(gone.IsOpen());
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), gone.OpenError());
}

TEST(RigLifetimeTest, ControlErrorsAreReportedNotHung)
{
    NullModemPair pair;
    ASSERT_TRUE(pair.Ok()) << pair.Error();
    EXPECT_FALSE(pair.Restore()) << "a live pair cannot be restored";
    EXPECT_NE(std::string::npos, pair.Error().find("live")) << pair.Error();
    EXPECT_FALSE(pair.SetRing(4, true)) << "COM4 is no rig port";
    EXPECT_FALSE(pair.Error().empty());
}
