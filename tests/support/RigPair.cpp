#include "RigPair.h"

#include <stdio.h>
#include <string.h>

#include "Format.h"

namespace {

const DWORD kAnswerWaitMs = 5000;

bool Environment(const char* name, char* value, DWORD size)
{
    const DWORD length = GetEnvironmentVariableA(name, value, size);
    return length > 0 && length < size;
}

// Wine's drive Z: is the Linux root.
template <size_t N>
void WindowsPath(const char* linuxPath, char (&path)[N])
{
    Format(path, "Z:%s", linuxPath);
    for (char* c = path; *c; ++c) {
        if (*c == '/')
            *c = '\\';
    }
}

// The answer file's text without its line end; false while it does not exist.
bool ReadAnswer(const char* path, char* text, DWORD size)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD got = 0;
    const BOOL read = ReadFile(file, text, size - 1, &got, nullptr);
    CloseHandle(file);
    if (!read)
        return false;
    while (got > 0 && (text[got - 1] == '\n' || text[got - 1] == '\r'))
        --got;
    text[got] = '\0';
    return true;
}

} // namespace

RigPair::RigPair()
{
    char arguments[128] = "up";
    char session[64];
    if (Environment("MOKACOMM_RIG_SESSION", session, sizeof session))
        Format(arguments, "up --session %s", session);
    char answer[64];
    if (!Run(arguments, answer, sizeof answer))
        return;
    int a = 0;
    int b = 0;
    if (sscanf(answer, "%d %d", &a, &b) != 2) {
        Format(error, "nullmodemctl up answered \"%s\"", answer);
        return;
    }
    comA = a;
    comB = b;
}

RigPair::~RigPair()
{
    if (!Ok())
        return;
    char arguments[32];
    Format(arguments, "down %d", comA);
    char answer[64];
    Run(arguments, answer, sizeof answer);
}

bool RigPair::InjectFramingError()
{
    char arguments[32];
    Format(arguments, "error %d frame", comA);
    char answer[64];
    return Run(arguments, answer, sizeof answer);
}

bool RigPair::Run(const char* arguments, char* result, DWORD resultSize)
{
    static LONG sequence;
    char control[MAX_PATH];
    char rig[MAX_PATH];
    if (!Environment("MOKACOMM_RIG_CTL", control, sizeof control) ||
        !Environment("MOKACOMM_RIG_DIR", rig, sizeof rig)) {
        lstrcpynA(error, "MOKACOMM_RIG_CTL and MOKACOMM_RIG_DIR must name the rig", sizeof error);
        return false;
    }
    char done[MAX_PATH];
    Format(done, "%s/done.rigpair.%lu.%ld", rig, GetCurrentProcessId(),
              InterlockedIncrement(&sequence));
    char donePath[MAX_PATH];
    WindowsPath(done, donePath);
    DeleteFileA(donePath);
    char program[MAX_PATH];
    WindowsPath(control, program);
    char command[3 * MAX_PATH];
    Format(command, "\"%s\" %s --done \"%s\"", program, arguments, done);

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process)) {
        const DWORD code = GetLastError();
        Format(error, "cannot start %s: error %lu", command, code);
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    // The answer file appears, complete, when the command has finished.
    char answer[256];
    const ULONGLONG deadline = GetTickCount64() + kAnswerWaitMs;
    while (!ReadAnswer(donePath, answer, sizeof answer)) {
        if (GetTickCount64() > deadline) {
            Format(error, "nullmodemctl %s: no answer within %lu ms",
                      arguments, kAnswerWaitMs);
            return false;
        }
        Sleep(5);
    }
    DeleteFileA(donePath);
    if (strncmp(answer, "ok", 2) != 0) {
        Format(error, "nullmodemctl %s: %s", arguments, answer);
        return false;
    }
    lstrcpynA(result, answer[2] == ' ' ? answer + 3 : "", resultSize);
    return true;
}
