#include "NullModem.h"

#include <windows.h>

#include <cstdio>

namespace {

constexpr DWORD kAnswerWaitMs = 5000;
constexpr DWORD kPollMs = 5;

std::string Env(const char* name)
{
    char buf[MAX_PATH * 2];
    DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
    return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
}

// Wine maps the Linux root to drive Z:.
std::string WindowsPath(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

bool ReadSmallFile(const std::string& path, std::string* text)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    char buf[1024];
    DWORD got = 0;
    BOOL ok = ReadFile(h, buf, sizeof buf, &got, nullptr);
    CloseHandle(h);
    if (!ok)
        return false;
    text->assign(buf, got);
    return true;
}

// Standard handles for the command: its stdout and stderr would otherwise land in the test
// output, and the done-file says all that matters.
HANDLE NulHandle()
{
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    return CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       &sa, OPEN_EXISTING, 0, nullptr);
}

bool Start(std::string commandLine, std::string* error)
{
    HANDLE nul = NulHandle();
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    if (nul != INVALID_HANDLE_VALUE) {
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = si.hStdOutput = si.hStdError = nul;
    }
    PROCESS_INFORMATION pi = {};
    BOOL ok = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr,
                             nul != INVALID_HANDLE_VALUE, CREATE_NO_WINDOW, nullptr, nullptr,
                             &si, &pi);
    DWORD err = GetLastError();
    if (nul != INVALID_HANDLE_VALUE)
        CloseHandle(nul);
    if (!ok) {
        *error = "cannot start " + commandLine + ": error " + std::to_string(err);
        return false;
    }
    // Under Wine the handle of a Linux process is not waitable: the done-file tells the end.
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

}  // namespace

NullModemPair::NullModemPair()
{
    std::string args = "up";
    std::string session = Env("MOKACOMM_RIG_SESSION");
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
    std::string ctl = Env("MOKACOMM_RIG_CTL");
    std::string rig = Env("MOKACOMM_RIG_DIR");
    if (ctl.empty() || rig.empty()) {
        error_ = "MOKACOMM_RIG_CTL and MOKACOMM_RIG_DIR must name the rig";
        return false;
    }
    std::string done = rig + "/done." + std::to_string(GetCurrentProcessId()) + "." +
                       std::to_string(InterlockedIncrement(&sequence));
    std::string donePath = WindowsPath(done);
    DeleteFileA(donePath.c_str());
    if (!Start("\"" + WindowsPath(ctl) + "\" " + args + " --done \"" + done + "\"", &error_))
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

    while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r'))
        answer.pop_back();
    if (answer.compare(0, 2, "ok") != 0) {
        error_ = "nullmodemctl " + args + ": " + answer;
        return false;
    }
    if (result)
        *result = answer.size() > 3 ? answer.substr(3) : std::string();
    return true;
}
