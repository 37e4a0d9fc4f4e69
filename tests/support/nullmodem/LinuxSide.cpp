#include "LinuxSide.h"

#include <windows.h>

std::string EnvironmentText(const char* name)
{
    char value[MAX_PATH * 2];
    const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

std::string WindowsPath(const std::string& linuxPath)
{
    std::string path = "Z:" + linuxPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

bool ReadSmallFile(const std::string& windowsPath, std::string* text)
{
    HANDLE h = CreateFileA(windowsPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    char buffer[1024];
    DWORD got = 0;
    const BOOL ok = ReadFile(h, buffer, sizeof buffer, &got, nullptr);
    CloseHandle(h);
    if (!ok)
        return false;
    text->assign(buffer, got);
    while (!text->empty() && (text->back() == '\n' || text->back() == '\r'))
        text->pop_back();
    return true;
}

bool StartLinuxProgram(std::string commandLine, std::string* error)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE nul = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (nul != INVALID_HANDLE_VALUE) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = startup.hStdOutput = startup.hStdError = nul;
    }
    PROCESS_INFORMATION process = {};
    const BOOL started = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr,
                                        nul != INVALID_HANDLE_VALUE, CREATE_NO_WINDOW, nullptr,
                                        nullptr, &startup, &process);
    const DWORD code = GetLastError();
    if (nul != INVALID_HANDLE_VALUE)
        CloseHandle(nul);
    if (!started) {
        *error = "cannot start " + commandLine + ": error " + std::to_string(code);
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}
