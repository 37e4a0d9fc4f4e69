// CCommLib on COM A against pyserial (Debian's python3-serial), a serial client written
// elsewhere, on the Linux end of COM B: bytes both ways, the modem lines and a break that
// pyserial drives as the library's hooks report them, and the lines that the library drives as
// pyserial reads them.
//
// Wine starts the Linux script from CreateProcessA but can neither wait for it nor tell its exit
// code: the test talks to it over the line (pyserial_peer.py lists the commands), and the script
// writes how it ended to a result file. Every wait on either side is bounded.
#include <algorithm>
#include <mutex>
#include <string>

#include <gtest/gtest.h>

#include "ComPort.h"
#include "Eventually.h"
#include "LinuxSide.h"
#include "NullModem.h"
#include "RecordingHost.h"

namespace {

using CL = CCommLib;

// Python's start under Wine, pyserial's opening of the pty included.
constexpr DWORD kStartWaitMs = 20000;
constexpr DWORD kAnswerWaitMs = 10000;
constexpr DWORD kHookWaitMs = 5000;
constexpr DWORD kQuietMs = 300;
constexpr size_t kBlockBytes = 65536;
// pyserial's DTR drives DSR and DCD (RLSD) at COM A, its RTS drives CTS.
constexpr DWORD kDtrLines = MS_DSR_ON | MS_RLSD_ON;
constexpr DWORD kAllLines = MS_CTS_ON | MS_DSR_ON | MS_RLSD_ON;

// The same bytes as pattern() in pyserial_peer.py.
std::string Pattern(int seed, size_t n)
{
    std::string bytes(n, '\0');
    for (size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<char>((static_cast<size_t>(seed) + i * 31 + (i >> 8)) & 0xFF);
    return bytes;
}

class Pyserial : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pair.Ok()) << pair.Error();
        // Reads at once what EventRx announces, as a host should.
        host.onRx = [this](RecordingHost& h, unsigned long n) {
            std::string chunk(n, '\0');
            unsigned long got = 0;
            if (n > 0 && h.Receive(&chunk[0], n, &got)) {
                std::lock_guard<std::mutex> guard(lock);
                received.append(chunk, 0, got);
            }
        };
        ASSERT_EQ(CL::ERR_OK, host.Open(PortOf(pair.ComA())));
        const std::string pty = pair.LinuxPath(pair.ComB());
        ASSERT_FALSE(pty.empty()) << pair.Error();
        const std::string rig = EnvironmentText("MOKACOMM_RIG_DIR");
        ASSERT_FALSE(rig.empty()) << "MOKACOMM_RIG_DIR names no rig folder";
        static int runs = 0;
        resultPath = rig + "/pyserial." + std::to_string(GetCurrentProcessId()) + "." +
                     std::to_string(++runs) + ".result";
        DeleteFileA(WindowsPath(resultPath).c_str());

        std::string error;
        ASSERT_TRUE(StartLinuxProgram(WindowsPath(MOKACOMM_INTEROP_PYTHON) + " " +
                                          MOKACOMM_INTEROP_PEER + " " + pty + " " + resultPath,
                                      &error))
            << error;
        started = true;
        const std::string ready = NextLine(kStartWaitMs);
        ASSERT_EQ(0u, ready.rfind("ready pyserial ", 0))
            << "pyserial did not answer: \"" << ready << "\"; result file: " << Result();
    }

    void TearDown() override
    {
        if (!started)
            return;
        EXPECT_EQ("ok QUIT", Ask("QUIT"));
        std::string result;
        EXPECT_TRUE(Eventually([&] { return ReadSmallFile(WindowsPath(resultPath), &result); },
                               kAnswerWaitMs))
            << "pyserial_peer.py wrote no result";
        EXPECT_EQ("ok pyserial", result);
        DeleteFileA(WindowsPath(resultPath).c_str());
    }

    bool SendText(const std::string& text)
    {
        unsigned long written = 0;
        return host.Send(text.data(), static_cast<unsigned long>(text.size()), &written) ==
                   CL::ERR_OK &&
               written == text.size();
    }

    // The next line that came, without its newline; empty when none came within timeoutMs.
    std::string NextLine(DWORD timeoutMs)
    {
        std::string line;
        Eventually(
            [&] {
                std::lock_guard<std::mutex> guard(lock);
                const size_t end = received.find('\n');
                if (end == std::string::npos)
                    return false;
                line = received.substr(0, end);
                received.erase(0, end + 1);
                return true;
            },
            timeoutMs);
        return line;
    }

    // Sends a command and returns pyserial's answer.
    std::string Ask(const std::string& command)
    {
        if (!SendText(command + "\n"))
            return "(the command could not be sent)";
        return NextLine(kAnswerWaitMs);
    }

    // The first n bytes that came, once n came within timeoutMs; what came otherwise.
    std::string TakeBytes(size_t n, DWORD timeoutMs)
    {
        Eventually(
            [&] {
                std::lock_guard<std::mutex> guard(lock);
                return received.size() >= n;
            },
            timeoutMs);
        std::lock_guard<std::mutex> guard(lock);
        const std::string bytes = received.substr(0, n);
        received.erase(0, bytes.size());
        return bytes;
    }

    size_t Unread()
    {
        std::lock_guard<std::mutex> guard(lock);
        return received.size();
    }

    std::string Result()
    {
        std::string text;
        return ReadSmallFile(WindowsPath(resultPath), &text) ? text : "(none)";
    }

    // The hooks use lock and received: the host, which closes its port when it goes, comes after.
    NullModemPair pair;
    std::mutex lock;
    std::string received; // what EventRx announced, read in the hook
    RecordingHost host;
    std::string resultPath; // Linux path of the script's result file
    bool started = false;
};

TEST_F(Pyserial, BytesFromPyserialReachReceiveIntactAndInOrder)
{
    ASSERT_TRUE(SendText("SEND " + std::to_string(kBlockBytes) + " 1\n"));
    const std::string got = TakeBytes(kBlockBytes, kAnswerWaitMs);
    ASSERT_EQ(kBlockBytes, got.size()) << "bytes that came";
    const std::string sent = Pattern(1, kBlockBytes);
    const auto bad = std::mismatch(got.begin(), got.end(), sent.begin());
    EXPECT_TRUE(bad.first == got.end())
        << "the bytes differ from what pyserial wrote from offset " << (bad.first - got.begin());
    Sleep(kQuietMs);
    EXPECT_EQ(0u, Unread()) << "bytes beyond what pyserial wrote";
}

TEST_F(Pyserial, BytesFromSendReachPyserialIntactAndInOrder)
{
    ASSERT_TRUE(SendText("CHECK " + std::to_string(kBlockBytes) + " 2\n"));
    const std::string block = Pattern(2, kBlockBytes);
    unsigned long written = 0;
    ASSERT_EQ(CL::ERR_OK, host.Send(block.data(), kBlockBytes, &written));
    EXPECT_EQ(kBlockBytes, written);
    EXPECT_EQ("ok CHECK", NextLine(kAnswerWaitMs));
}

TEST_F(Pyserial, DtrAndRtsFromPyserialReachEventLine)
{
    // pyserial raised both lines when it opened the port.
    const struct {
        const char* command;
        DWORD lines; // the status bits that the command moves
        DWORD expected;
    } steps[] = {
        {"DTR 0", kDtrLines, 0},
        {"DTR 1", kDtrLines, kDtrLines},
        {"RTS 0", MS_CTS_ON, 0},
        {"RTS 1", MS_CTS_ON, MS_CTS_ON},
    };
    for (const auto& step : steps) {
        host.Clear();
        ASSERT_TRUE(host.WaitForNextWait());
        ASSERT_EQ(std::string("ok ") + step.command, Ask(step.command));
        EXPECT_TRUE(host.WaitFor(
            [&](const HookCall& c) { return c.hook == 'L' && (c.value & step.lines) == step.expected; },
            kHookWaitMs))
            << step.command << ": no EventLine with those lines; hooks called: " << host.Letters();
        EXPECT_EQ(step.expected, host.GetLineStat() & step.lines) << step.command;
    }
}

TEST_F(Pyserial, ABreakFromPyserialReachesEventLineWithTheLinesUnchanged)
{
    host.Clear();
    Sleep(kQuietMs);
    ASSERT_EQ(0u, host.Count('L')) << "a line event came with nothing on the line";
    ASSERT_EQ("ok BREAK", Ask("BREAK"));
    ASSERT_TRUE(host.WaitForHook('L', kHookWaitMs)) << "hooks called: " << host.Letters();
    for (const HookCall& c : host.Calls()) {
        if (c.hook == 'L') {
            EXPECT_EQ(kAllLines, c.value & kAllLines) << "pyserial still holds DTR and RTS";
        }
    }
}

TEST_F(Pyserial, TheLinesThatSetLineStatDrivesReachPyserial)
{
    // The library's settings hold DTR and RTS off.
    EXPECT_EQ("ok LINES dsr=0 cd=0 cts=0", Ask("LINES"));
    const struct {
        DWORD function;
        const char* answer;
    } steps[] = {
        {SETDTR, "ok LINES dsr=1 cd=1 cts=0"},
        {SETRTS, "ok LINES dsr=1 cd=1 cts=1"},
        {CLRDTR, "ok LINES dsr=0 cd=0 cts=1"},
        {CLRRTS, "ok LINES dsr=0 cd=0 cts=0"},
    };
    for (const auto& step : steps) {
        ASSERT_EQ(CL::ERR_OK, host.SetLineStat(step.function));
        EXPECT_EQ(step.answer, Ask("LINES")) << "after EscapeCommFunction " << step.function;
    }
}

} // namespace
