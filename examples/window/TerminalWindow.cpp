#include "TerminalWindow.h"

#include "ErrNames.h"
#include "WindowHostIds.h"

namespace {

const char kClassName[] = "MokacommTerminal";
const char kAppName[] = "Mokacomm Terminal";

const int kMargin = 6;
const int kGap = 4;
const int kRowHeight = 24;
const int kStatusHeight = 22;
const int kButtonWidth = 72;
const int kLinesWidth = 250;
const int kInputLimit = 512;

struct LineEnd {
    const char* name;
    const char* bytes;
};
const LineEnd kLineEnds[] = {{"None", ""}, {"CR", "\r"}, {"LF", "\n"}, {"CR LF", "\r\n"}};
const int kDefaultLineEnd = 1;

struct BitName {
    unsigned long bit;
    const char* name;
};
const BitName kLineErrors[] = {{CE_RXOVER, "CE_RXOVER"}, {CE_OVERRUN, "CE_OVERRUN"},
                               {CE_RXPARITY, "CE_RXPARITY"}, {CE_FRAME, "CE_FRAME"},
                               {CE_BREAK, "CE_BREAK"}, {CE_TXFULL, "CE_TXFULL"}};

const char* OnOff(unsigned long word, unsigned long bit)
{
    return (word & bit) ? "on" : "off";
}

bool IsChecked(HWND box)
{
    return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetCheck(HWND box, bool on)
{
    SendMessageA(box, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

} // namespace

TerminalWindow::Font::~Font()
{
    Reset(nullptr);
}

void TerminalWindow::Font::Reset(HFONT font)
{
    if (handle)
        DeleteObject(handle);
    handle = font;
}

TerminalWindow::TerminalWindow()
    : instance(nullptr), window(nullptr), input(nullptr), send(nullptr), lineEndLabel(nullptr),
      lineEnd(nullptr), dtr(nullptr), rts(nullptr), breakBox(nullptr), lines(nullptr),
      message(nullptr), shownPort(CCommLib::PORT_NONE)
{
}

TerminalWindow::~TerminalWindow()
{
    if (window)
        DestroyWindow(window);
}

bool TerminalWindow::Create(HINSTANCE module, int show)
{
    instance = module;
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &Procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszMenuName = MAKEINTRESOURCEA(IDR_TERMINAL_MENU);
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassExA(&windowClass))
        return false;
    if (!CreateWindowExA(0, kClassName, kAppName, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                         CW_USEDEFAULT, 600, 380, nullptr, nullptr, instance, this))
        return false;
    ShowWindow(window, show);
    UpdateWindow(window);
    return true;
}

void TerminalWindow::Open(const char* portName)
{
    CCommLib::PORT number = CCommLib::PORT_NONE;
    for (int p = CCommLib::PORT_COM1; p <= CCommLib::PORT_COM32; ++p) {
        if (lstrcmpiA(portName, CCommLib::GetPortStr(static_cast<CCommLib::PORT>(p))) == 0)
            number = static_cast<CCommLib::PORT>(p);
    }
    Report("Open", port.Open(number));
    ShowPortState();
}

bool TerminalWindow::PreTranslate(MSG& msg)
{
    return window && IsDialogMessageA(window, &msg);
}

LRESULT CALLBACK TerminalWindow::Procedure(HWND handle, UINT msg, WPARAM wParam, LPARAM lParam)
{
    TerminalWindow* self = nullptr;
    if (msg == WM_NCCREATE) {
        const CREATESTRUCTA* creation = reinterpret_cast<CREATESTRUCTA*>(lParam);
        self = static_cast<TerminalWindow*>(creation->lpCreateParams);
        SetWindowLongPtrA(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window = handle;
    } else {
        self = reinterpret_cast<TerminalWindow*>(GetWindowLongPtrA(handle, GWLP_USERDATA));
    }
    if (!self)
        return DefWindowProcA(handle, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(handle, GWLP_USERDATA, 0);
        self->window = nullptr;
        return DefWindowProcA(handle, msg, wParam, lParam);
    }
    return self->OnMessage(msg, wParam, lParam);
}

// The input line sends on Enter. Its own procedure is kept in its user data.
LRESULT CALLBACK TerminalWindow::InputProcedure(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const WNDPROC original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(edit, GWLP_USERDATA));
    if (msg == WM_GETDLGCODE && wParam == VK_RETURN)
        return CallWindowProcA(original, edit, msg, wParam, lParam) | DLGC_WANTALLKEYS;
    if (msg == WM_KEYDOWN && wParam == VK_RETURN) {
        SendMessageA(GetParent(edit), WM_COMMAND, MAKEWPARAM(IDC_SEND, BN_CLICKED), 0);
        return 0;
    }
    if (msg == WM_CHAR && wParam == '\r')
        return 0; // handled on the key press; the edit control would only beep
    return CallWindowProcA(original, edit, msg, wParam, lParam);
}

LRESULT TerminalWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        return OnCreate() ? 0 : -1;
    case WM_SIZE:
        Layout(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_SETFOCUS:
        SetFocus(input);
        return 0;
    case WM_CTLCOLORSTATIC:
        // The read-only output pane on the window colour, like any text to read.
        if (reinterpret_cast<HWND>(lParam) == GetDlgItem(window, IDC_OUTPUT)) {
            SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        }
        break;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    case WM_PORT_RECEIVED:
        OnReceived();
        return 0;
    case WM_PORT_LINES:
        ShowLines(static_cast<unsigned long>(wParam));
        return 0;
    case WM_PORT_ERRORS:
        ShowErrors(static_cast<unsigned long>(wParam));
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}

HWND TerminalWindow::AddControl(const char* className, const char* text, DWORD style, int id,
                                HFONT font)
{
    const HWND control =
        CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (control)
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

bool TerminalWindow::OnCreate()
{
    port.PostTo(window);
    // Received text keeps its columns in a fixed-pitch face of the Japanese character set.
    textFont.Reset(CreateFontA(-14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                               FIXED_PITCH | FF_MODERN, ""));
    const HFONT uiFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    const HFONT paneFont = textFont.Get() ? textFont.Get() : uiFont;

    const HWND pane = AddControl("EDIT", "",
                                 WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                                     ES_READONLY | WS_TABSTOP,
                                 IDC_OUTPUT, paneFont);
    input = AddControl("EDIT", "", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, IDC_INPUT, paneFont);
    send = AddControl("BUTTON", "Send", BS_PUSHBUTTON | WS_TABSTOP, IDC_SEND, uiFont);
    dtr = AddControl("BUTTON", "DTR", BS_AUTOCHECKBOX | WS_TABSTOP, IDC_DTR, uiFont);
    rts = AddControl("BUTTON", "RTS", BS_AUTOCHECKBOX | WS_TABSTOP, IDC_RTS, uiFont);
    breakBox = AddControl("BUTTON", "Break", BS_AUTOCHECKBOX | WS_TABSTOP, IDC_BREAK, uiFont);
    lineEndLabel = AddControl("STATIC", "Line end:", SS_RIGHT | SS_CENTERIMAGE, -1, uiFont);
    lineEnd = AddControl("COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, IDC_LINE_END,
                         uiFont);
    const DWORD statusStyle = SS_LEFTNOWORDWRAP | SS_CENTERIMAGE | SS_SUNKEN;
    lines = AddControl("STATIC", "", statusStyle, IDC_LINES, uiFont);
    message = AddControl("STATIC", "", statusStyle, IDC_MESSAGE, uiFont);
    if (!pane || !input || !send || !dtr || !rts || !breakBox || !lineEndLabel || !lineEnd ||
        !lines || !message)
        return false;

    output.Attach(pane);
    SendMessageA(input, EM_SETLIMITTEXT, kInputLimit, 0);
    SetWindowLongPtrA(input, GWLP_USERDATA, GetWindowLongPtrA(input, GWLP_WNDPROC));
    SetWindowLongPtrA(input, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&InputProcedure));
    for (const LineEnd& end : kLineEnds)
        SendMessageA(lineEnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(end.name));
    SendMessageA(lineEnd, CB_SETCURSEL, kDefaultLineEnd, 0);
    ShowPortState();
    return true;
}

void TerminalWindow::Layout(int width, int height)
{
    const int statusTop = height - kStatusHeight;
    const int togglesTop = statusTop - kGap - kRowHeight;
    const int inputTop = togglesTop - kGap - kRowHeight;
    const int comboWidth = 90;
    const int labelWidth = 70;

    MoveWindow(GetDlgItem(window, IDC_OUTPUT), 0, 0, width, inputTop - kGap, TRUE);
    MoveWindow(input, kMargin, inputTop, width - 3 * kMargin - kButtonWidth, kRowHeight, TRUE);
    MoveWindow(send, width - kMargin - kButtonWidth, inputTop, kButtonWidth, kRowHeight, TRUE);
    MoveWindow(dtr, kMargin, togglesTop, 60, kRowHeight, TRUE);
    MoveWindow(rts, kMargin + 64, togglesTop, 60, kRowHeight, TRUE);
    MoveWindow(breakBox, kMargin + 128, togglesTop, 70, kRowHeight, TRUE);
    MoveWindow(lineEndLabel, width - kMargin - comboWidth - kGap - labelWidth, togglesTop,
               labelWidth, kRowHeight, TRUE);
    // A drop-down list's height includes its open list.
    MoveWindow(lineEnd, width - kMargin - comboWidth, togglesTop, comboWidth, 120, TRUE);
    MoveWindow(lines, 0, statusTop, kLinesWidth, kStatusHeight, TRUE);
    MoveWindow(message, kLinesWidth, statusTop, width - kLinesWidth, kStatusHeight, TRUE);
}

void TerminalWindow::OnCommand(int id)
{
    switch (id) {
    case IDM_PORT:
        port.SelectPort();
        ShowPortState();
        break;
    case IDM_SETTINGS:
        port.SettingDlg();
        ShowTitle();
        break;
    case IDM_CLOSE:
        Report("Close", port.Close());
        ShowPortState();
        break;
    case IDM_EXIT:
        DestroyWindow(window);
        break;
    case IDC_SEND:
        SendInput();
        break;
    case IDC_DTR:
        Toggle(dtr, SETDTR, CLRDTR, "DTR");
        break;
    case IDC_RTS:
        Toggle(rts, SETRTS, CLRRTS, "RTS");
        break;
    case IDC_BREAK:
        Toggle(breakBox, SETBREAK, CLRBREAK, "Break");
        break;
    default:
        break;
    }
}

void TerminalWindow::OnReceived()
{
    char bytes[1024];
    for (;;) {
        unsigned long lost = 0;
        const unsigned long count = port.TakeReceived(bytes, sizeof bytes, &lost);
        output.ShowReceived(bytes, count);
        if (lost > 0) {
            char note[64];
            wsprintfA(note, "%lu bytes lost: the window fell behind", lost);
            output.ShowNote(note);
        }
        if (count < sizeof bytes)
            return;
    }
}

void TerminalWindow::ShowPortState()
{
    const CCommLib::PORT current = port.GetPort();
    if (current != shownPort) {
        char note[32];
        if (shownPort != CCommLib::PORT_NONE) {
            wsprintfA(note, "%s closed", CCommLib::GetPortStr(shownPort));
            output.ShowNote(note);
        }
        if (current != CCommLib::PORT_NONE) {
            wsprintfA(note, "%s open", CCommLib::GetPortStr(current));
            output.ShowNote(note);
        }
        shownPort = current;
    }
    const bool open = current != CCommLib::PORT_NONE;
    const DCB& settings = port.GetDCB();
    SetCheck(dtr, open && settings.fDtrControl == DTR_CONTROL_ENABLE);
    SetCheck(rts, open && settings.fRtsControl == RTS_CONTROL_ENABLE);
    SetCheck(breakBox, false);
    ShowTitle();
    ShowLines(port.GetLineStat());
}

void TerminalWindow::ShowTitle()
{
    static const char kParity[] = "NOEMS";
    static const char* const kStopBits[] = {"1", "1.5", "2"};
    const DCB& settings = port.GetDCB();
    const char parity = settings.Parity < 5 ? kParity[settings.Parity] : '?';
    const char* stopBits = settings.StopBits < 3 ? kStopBits[settings.StopBits] : "?";
    char title[128];
    wsprintfA(title, "%s %lu baud %u%c%s - %s", CCommLib::GetPortStr(port.GetPort()),
              settings.BaudRate, static_cast<unsigned>(settings.ByteSize), parity, stopBits,
              kAppName);
    SetWindowTextA(window, title);
}

void TerminalWindow::ShowLines(unsigned long status)
{
    char text[64];
    wsprintfA(text, " CTS %s   DSR %s   RING %s   RLSD %s", OnOff(status, MS_CTS_ON),
              OnOff(status, MS_DSR_ON), OnOff(status, MS_RING_ON), OnOff(status, MS_RLSD_ON));
    SetWindowTextA(lines, text);
}

void TerminalWindow::ShowErrors(unsigned long errors)
{
    // Wine reports the event with no error bits.
    char text[128] = " Line error:";
    if (errors == 0)
        lstrcatA(text, " none named");
    for (const BitName& error : kLineErrors) {
        if (errors & error.bit) {
            lstrcatA(text, " ");
            lstrcatA(text, error.name);
        }
    }
    ShowMessage(text);
}

void TerminalWindow::ShowMessage(const char* text)
{
    SetWindowTextA(message, text);
}

void TerminalWindow::Report(const char* what, CCommLib::ERR result)
{
    if (result == CCommLib::ERR_OK)
        return;
    char text[128];
    // These say how the call was made, not what the platform answered.
    const bool usage = result == CCommLib::ERR_ALREADY || result == CCommLib::ERR_BAD_PORT ||
                       result == CCommLib::ERR_NOT_OPEN;
    if (usage)
        wsprintfA(text, " %s: %s", what, ErrName(result));
    else
        wsprintfA(text, " %s: %s (system error %lu)", what, ErrName(result), port.GetLastError());
    ShowMessage(text);
}

void TerminalWindow::SendInput()
{
    const int choice = static_cast<int>(SendMessageA(lineEnd, CB_GETCURSEL, 0, 0));
    const int choices = static_cast<int>(sizeof kLineEnds / sizeof kLineEnds[0]);
    const char* end = choice >= 0 && choice < choices ? kLineEnds[choice].bytes : "";
    char line[kInputLimit + 3];
    const int length = GetWindowTextA(input, line, kInputLimit + 1);
    if (length == 0 && end[0] == '\0')
        return;
    lstrcpyA(line + length, end);
    const CCommLib::ERR result = port.Send(line);
    if (result != CCommLib::ERR_OK) {
        Report("Send", result);
        return;
    }
    line[length] = '\0';
    output.ShowSent(line);
    SetWindowTextA(input, "");
}

void TerminalWindow::Toggle(HWND box, unsigned long setCode, unsigned long clearCode,
                            const char* line)
{
    const bool on = IsChecked(box);
    const CCommLib::ERR result = port.SetLineStat(on ? setCode : clearCode);
    if (result == CCommLib::ERR_OK)
        return;
    SetCheck(box, !on);
    char what[32];
    wsprintfA(what, "%s %s", line, on ? "on" : "off");
    Report(what, result);
}
