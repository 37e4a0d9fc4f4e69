// The example window host (window_host.exe, beside this program) in a process of its own, driven
// as a user would drive it: menu commands, typing, clicks, and reading what its window shows.
// Every wait is bounded.
#ifndef MOKACOMM_TESTS_WINDOW_HOST_DRIVER_H
#define MOKACOMM_TESTS_WINDOW_HOST_DRIVER_H

#include <optional>
#include <string>

#include "GuiDriver.h"
#include "WindowHostIds.h"

class WindowHostProcess {
public:
    // Starts the host with this command line and waits until its main window is the active one.
    explicit WindowHostProcess(const std::string& arguments = "");
    WindowHostProcess(const WindowHostProcess&) = delete;
    WindowHostProcess& operator=(const WindowHostProcess&) = delete;
    // Terminates a host that is still running.
    ~WindowHostProcess();

    // The main window; null when the host did not start or its window was not active in time.
    HWND Window() const { return window; }
    HWND Control(int id) const { return GetDlgItem(window, id); }
    DWORD ProcessId() const { return process.dwProcessId; }

    // A command of the Serial menu (IDM_*), posted as the menu posts it.
    void Command(int id);
    // Types `text` into the input line and presses Enter there.
    bool Type(const std::string& text);
    bool Click(int id);
    // A dialog of the host's process with this caption.
    HWND WaitForDialog(const std::string& caption) const;
    // Waits until the host's port has a wait for events pending that began after `since`
    // (PreciseSystemTime). Wine starts a thread to poll the lines when a wait begins, and reports
    // only the line changes made while one is pending.
    bool WaitForPortWait(ULONGLONG since) const;

    // Serial > Exit; the host's exit code, or nothing when it did not end in time.
    std::optional<DWORD> Exit();

private:
    PROCESS_INFORMATION process{};
    HWND window = nullptr;
};

// The text of a window of any process, as WM_GETTEXT gives it (GetWindowText reads only the
// captions of other processes' windows).
std::string ShownText(HWND window);
// Selects the item of a combo box of any process whose text is `text`, as the user would.
bool PickItem(HWND combo, const std::string& text);
// Waits until ShownText(window) contains `part`.
bool WaitUntilShown(HWND window, const std::string& part, DWORD timeoutMs = gui::kWaitMs);

#endif
