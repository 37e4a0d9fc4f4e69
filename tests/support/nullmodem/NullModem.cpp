#include "NullModem.h"

#include "LinuxSide.h"

#include <windows.h>

#include <cstdio>

namespace {

constexpr DWORD kAnswerWaitMs = 5000;
constexpr DWORD kPollMs = 5;

}  // namespace

NullModemPair::NullModemPair()
{
    std::string args = "up";
    std::string session = EnvironmentText("MOKACOMM_RIG_SESSION");
    if (!session.empty())
        args += " --session " + session;
    std::string result;
    if (!Run(args, &result))
        return;
    int a = 0, b = 0;
    if (std::sscanf(result.c_str(), "%d %d", &a, &b) != 2) {
        error_ = "nullmodemctl up answered \"" + result + "\"";
        return;
    }
    comA_ = a;
    comB_ = b;
}

NullModemPair::~NullModemPair()
{
    if (Ok())
        RunOn("down", comA_);
}

std::string NullModemPair::DeviceName(int com)
{
    return "\\\\.\\COM" + std::to_string(com);
}

bool NullModemPair::Vanish()
{
    return RunOn("vanish", comA_);
}

bool NullModemPair::Restore()
{
    return RunOn("restore", comA_);
}

bool NullModemPair::SetRing(int com, bool on)
{
    return RunOn("line", com, on ? "ring on" : "ring off");
}

bool NullModemPair::SetDcd(int com, bool on)
{
    return RunOn("line", com, on ? "dcd on" : "dcd off");
}

bool NullModemPair::ReleaseDcd(int com)
{
    return RunOn("line", com, "dcd auto");
}

bool NullModemPair::Break(int com)
{
    return RunOn("break", com);
}

bool NullModemPair::InjectError(int com, LineError kind)
{
    const char* name = kind == Framing ? "frame" : kind == Parity ? "parity" : "overrun";
    return RunOn("error", com, name);
}

std::string NullModemPair::LinuxPath(int com)
{
    std::string path;
    return Run("path " + std::to_string(com), &path) ? path : std::string();
}

bool NullModemPair::RunOn(const char* command, int com, const char* extra)
{
    std::string args = std::string(command) + " " + std::to_string(com);
    if (extra)
        args += std::string(" ") + extra;
    return Run(args);
}

bool NullModemPair::Run(const std::string& args, std::string* result)
{
    static LONG sequence;
    std::string ctl = EnvironmentText("MOKACOMM_RIG_CTL");
    std::string rig = EnvironmentText("MOKACOMM_RIG_DIR");
    if (ctl.empty() || rig.empty()) {
        error_ = "MOKACOMM_RIG_CTL and MOKACOMM_RIG_DIR must name the rig";
        return false;
    }
    std::string done = rig + "/done." + std::to_string(GetCurrentProcessId()) + "." +
                       std::to_string(InterlockedIncrement(&sequence));
    std::string donePath = WindowsPath(done);
    DeleteFileA(donePath.c_str());
    // The done-file tells when the command has finished.
    const std::string command = "\"" + WindowsPath(ctl) + "\" " + args + " --done \"" + done + "\"";
    if (!StartLinuxProgram(command, &error_))
        return false;

    std::string answer;
    ULONGLONG deadline = GetTickCount64() + kAnswerWaitMs;
    while (!ReadSmallFile(donePath, &answer)) {
        if (GetTickCount64() > deadline) {
            error_ = "nullmodemctl " + args + ": no answer within " +
                     std::to_string(kAnswerWaitMs) + " ms";
            return false;
        }
        Sleep(kPollMs);
    }
    DeleteFileA(donePath.c_str());

    if (answer.compare(0, 2, "ok") != 0) {
        error_ = "nullmodemctl " + args + ": " + answer;
        return false;
    }
    if (result)
        *result = answer.size() > 3 ? answer.substr(3) : std::string();
    return true;
}
