// Driving the library's modal windows from a test: the operation that shows them runs on a thread
// of its own, as a host's call would, while the test's thread finds, reads and presses them.
// Every wait is bounded and reports failure instead of hanging.
#ifndef MOKACOMM_TESTS_GUI_DRIVER_H
#define MOKACOMM_TESTS_GUI_DRIVER_H

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/Win32.h"

namespace gui {

constexpr DWORD kWaitMs = 10000;
constexpr char kDialogClass[] = "#32770";

// A visible top-level window of `process` (this one unless told) that `match` accepts; null when
// none came within `timeoutMs`. Visible means that the dialog manager has finished WM_INITDIALOG.
HWND WaitForWindow(const std::function<bool(HWND)>& match, DWORD timeoutMs = kWaitMs,
                   DWORD process = GetCurrentProcessId());
// The same for a dialog-class window with this caption (a dialog or a message box).
HWND WaitForDialog(const std::string& caption, DWORD timeoutMs = kWaitMs,
                   DWORD process = GetCurrentProcessId());
bool WaitUntilGone(HWND window, DWORD timeoutMs = kWaitMs);

// Texts are read as UTF-16, as the screen shows them, and handed over in code page 932, converted
// with that code page whatever the system's: the tests' texts are code page 932 (as this program
// is compiled) and so compare with what the user reads in any locale. A character that code page
// 932 lacks turns into '?', never into a look-alike.
std::string WindowText(HWND window);
std::string ClassName(HWND window);

std::vector<std::string> ComboItems(HWND combo);
// The selected item's text, or nothing when no item is selected.
std::optional<std::string> ComboSelection(HWND combo);
// Selects the first item whose text is exactly `text`, as the user would; false if none is.
bool SelectItem(HWND combo, const std::string& text);
// The same for a text in UTF-16, compared as it is: for characters that code page 932 lacks.
bool SelectItem(HWND combo, const std::wstring& text);

// Posts the button's click, so that the test's thread is not held by what the click opens.
void Press(HWND dialog, int id);

// The text of the message box with this caption, pressed OK; nothing when none came in time.
std::optional<std::string> DismissMessageBox(const std::string& caption,
                                             DWORD timeoutMs = kWaitMs);

// Runs `operation` on a thread of its own. If the test ends while it still runs (a failed
// assertion), its windows are cancelled until it returns; an operation that cannot be ended
// stops the whole program with a message rather than leaving the suite hanging.
class ModalOperation {
public:
    explicit ModalOperation(std::function<void()> operation);
    ModalOperation(const ModalOperation&) = delete;
    ModalOperation& operator=(const ModalOperation&) = delete;
    ~ModalOperation();

    // True when the operation returned within `timeoutMs`.
    bool Finished(DWORD timeoutMs = kWaitMs);
    DWORD ThreadId() const { return threadId; }

private:
    static DWORD WINAPI Main(LPVOID self);

    std::function<void()> operation;
    HANDLE thread = nullptr;
    DWORD threadId = 0;
};

} // namespace gui

#endif
