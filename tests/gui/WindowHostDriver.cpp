#include "WindowHostDriver.h"

#include <cstdlib>

#include "Eventually.h"
#include "Threads.h"

namespace {

constexpr char kMainClass[] = "MokacommTerminal";
constexpr UINT kSendFlags = SMTO_ABORTIFHUNG | SMTO_BLOCK;

// The window host beside this program, or the one MOKACOMM_WINDOW_HOST names (another build's).
std::string HostPath()
{
    if (const char* chosen = std::getenv("MOKACOMM_WINDOW_HOST"))
        return chosen;
    char path[MAX_PATH] = "";
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1) + "window_host.exe";
}

} // namespace

WindowHostProcess::WindowHostProcess(const std::string& arguments)
{
    std::string commandLine = "\"" + HostPath() + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return;
    const HWND shown = gui::WaitForWindow(
        [](HWND w) { return gui::ClassName(w) == kMainClass; }, gui::kWaitMs,
        process.dwProcessId);
    // A menu command comes from the active window, and the library's dialogs take that window as
    // their owner: a command posted before Wine has activated the new window would find none.
    if (shown && Eventually([&] { return GetForegroundWindow() == shown; }, gui::kWaitMs))
        window = shown;
}

WindowHostProcess::~WindowHostProcess()
{
    if (!process.hProcess)
        return;
    if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, gui::kWaitMs);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

bool WindowHostProcess::WaitForPortWait(ULONGLONG since) const
{
    return Eventually([&] {
        for (DWORD id : ProcessThreadIds(process.dwProcessId))
            if (ThreadCreationTime(id) > since)
                return true;
        return false;
    });
}

void WindowHostProcess::Command(int id)
{
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

bool WindowHostProcess::Type(const std::string& text)
{
    const HWND input = Control(IDC_INPUT);
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(input, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                             kSendFlags, gui::kWaitMs, &result))
        return false;
    // Posted, not sent: a key press reaches the control through the host's message loop.
    const LPARAM enterScanCode = 0x1C << 16;
    return PostMessageA(input, WM_KEYDOWN, VK_RETURN, enterScanCode | 1) &&
           PostMessageA(input, WM_KEYUP, VK_RETURN, enterScanCode | 0xC0000001);
}

bool WindowHostProcess::Click(int id)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(Control(id), BM_CLICK, 0, 0, kSendFlags, gui::kWaitMs, &result) != 0;
}

HWND WindowHostProcess::WaitForDialog(const std::string& caption) const
{
    return gui::WaitForDialog(caption, gui::kWaitMs, process.dwProcessId);
}

std::optional<DWORD> WindowHostProcess::Exit()
{
    Command(IDM_EXIT);
    DWORD code = 0;
    if (WaitForSingleObject(process.hProcess, gui::kWaitMs) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process.hProcess, &code))
        return std::nullopt;
    return code;
}

std::string ShownText(HWND window)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, kSendFlags, gui::kWaitMs, &length))
        return "";
    // The length is an upper bound in bytes, and the text comes with its NUL.
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                             kSendFlags, gui::kWaitMs, &copied))
        return "";
    text.resize(copied);
    return text;
}

bool PickItem(HWND combo, const std::string& text)
{
    // Wine 8 hands another process's CB_GETLBTEXT back to an A caller as UTF-16, unconverted;
    // the text of CB_FINDSTRINGEXACT is converted on its way in.
    DWORD_PTR index = 0;
    if (!SendMessageTimeoutA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                             reinterpret_cast<LPARAM>(text.c_str()), kSendFlags, gui::kWaitMs,
                             &index) ||
        static_cast<LRESULT>(index) == CB_ERR)
        return false;
    DWORD_PTR selected = 0;
    return SendMessageTimeoutA(combo, CB_SETCURSEL, index, 0, kSendFlags, gui::kWaitMs,
                               &selected) &&
           selected == index;
}

bool WaitUntilShown(HWND window, const std::string& part, DWORD timeoutMs)
{
    return Eventually([&] { return ShownText(window).find(part) != std::string::npos; },
                      timeoutMs);
}
