#include "GuiDriver.h"

#include <cstdio>
#include <cstdlib>

namespace gui {

namespace {

struct Search {
    const std::function<bool(HWND)>* match;
    DWORD process;
    HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != search->process || !IsWindowVisible(window) || !(*search->match)(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

template <class Condition>
bool Poll(Condition condition, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount64() >= deadline)
            return false;
        Sleep(10);
    }
}

std::string ToCodePage932(const std::wstring& text)
{
    const int length = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, text.data(), length, nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, text.data(), length, &bytes[0], size, nullptr,
                        nullptr);
    return bytes;
}

BOOL CALLBACK CancelWindow(HWND window, LPARAM)
{
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return TRUE;
}

} // namespace

HWND WaitForWindow(const std::function<bool(HWND)>& match, DWORD timeoutMs, DWORD process)
{
    Search search{&match, process, nullptr};
    Poll(
        [&] {
            EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        timeoutMs);
    return search.found;
}

HWND WaitForDialog(const std::string& caption, DWORD timeoutMs, DWORD process)
{
    return WaitForWindow(
        [&](HWND window) { return ClassName(window) == kDialogClass && WindowText(window) == caption; },
        timeoutMs, process);
}

bool WaitUntilGone(HWND window, DWORD timeoutMs)
{
    return Poll([&] { return !IsWindow(window); }, timeoutMs);
}

std::string WindowText(HWND window)
{
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, &text[0], length + 1)));
    return ToCodePage932(text);
}

std::string ClassName(HWND window)
{
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::vector<std::string> ComboItems(HWND combo)
{
    std::vector<std::string> items;
    const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, i, 0);
        std::wstring text(static_cast<std::size_t>(length < 0 ? 0 : length) + 1, L'\0');
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
        text.resize(std::char_traits<wchar_t>::length(text.c_str()));
        items.push_back(ToCodePage932(text));
    }
    return items;
}

std::optional<std::string> ComboSelection(HWND combo)
{
    const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    const std::vector<std::string> items = ComboItems(combo);
    // Also for a window that is no combo box, as when a dialog did not come.
    if (index < 0 || static_cast<std::size_t>(index) >= items.size())
        return std::nullopt;
    return items[static_cast<std::size_t>(index)];
}

bool SelectItem(HWND combo, const std::string& text)
{
    const std::vector<std::string> items = ComboItems(combo);
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i] == text)
            return SendMessageA(combo, CB_SETCURSEL, i, 0) == static_cast<LRESULT>(i);
    }
    return false;
}

bool SelectItem(HWND combo, const std::wstring& text)
{
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, i, 0);
        if (length != static_cast<LRESULT>(text.size()))
            continue;
        std::wstring item(static_cast<std::size_t>(length) + 1, L'\0');
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&item[0]));
        item.resize(static_cast<std::size_t>(length));
        if (item == text)
            return SendMessageW(combo, CB_SETCURSEL, i, 0) == i;
    }
    return false;
}

void Press(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::optional<std::string> DismissMessageBox(const std::string& caption, DWORD timeoutMs)
{
    const HWND box = WaitForDialog(caption, timeoutMs);
    if (!box)
        return std::nullopt;
    wchar_t text[1024] = L"";
    GetDlgItemTextW(box, 0xFFFF, text, 1024);
    Press(box, IDOK);
    if (!WaitUntilGone(box))
        return std::nullopt;
    return ToCodePage932(text);
}

ModalOperation::ModalOperation(std::function<void()> operation) : operation(std::move(operation))
{
    thread = CreateThread(nullptr, 0, &Main, this, 0, &threadId);
    if (!thread) {
        std::fprintf(stderr, "cannot start the thread for a modal operation\n");
        std::abort();
    }
}

ModalOperation::~ModalOperation()
{
    const bool ended = Poll(
        [&] {
            if (WaitForSingleObject(thread, 0) == WAIT_OBJECT_0)
                return true;
            EnumThreadWindows(threadId, &CancelWindow, 0);
            return false;
        },
        kWaitMs);
    if (!ended) {
        std::fprintf(stderr, "a modal operation could not be ended within %lu ms\n", kWaitMs);
        std::fflush(stderr);
        std::abort();
    }
    CloseHandle(thread);
}

bool ModalOperation::Finished(DWORD timeoutMs)
{
    return WaitForSingleObject(thread, timeoutMs) == WAIT_OBJECT_0;
}

DWORD WINAPI ModalOperation::Main(LPVOID self)
{
    static_cast<ModalOperation*>(self)->operation();
    return 0;
}

} // namespace gui
