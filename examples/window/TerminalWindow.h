// The window host's main window: what the port received, an input line, the DTR, RTS and break
// toggles and a status line, with the library's two dialogs behind the Serial menu. Everything
// here runs on the window's thread; the port's hooks only post to it.
#ifndef MOKACOMM_WINDOW_TERMINAL_WINDOW_H
#define MOKACOMM_WINDOW_TERMINAL_WINDOW_H

#include <windows.h>

#include "OutputPane.h"
#include "WindowPort.h"

class TerminalWindow {
public:
    TerminalWindow();
    TerminalWindow(const TerminalWindow&) = delete;
    TerminalWindow& operator=(const TerminalWindow&) = delete;
    ~TerminalWindow();

    // Creates and shows the window; false when it could not be made.
    bool Create(HINSTANCE instance, int show);
    // Opens the port of this name ("COM5"), as the command line asks; a failure shows in the
    // status line.
    void Open(const char* portName);
    // Gives the window's controls the dialog keys (Tab, Enter in the input line); true when
    // `message` was handled so.
    bool PreTranslate(MSG& message);

private:
    // Owns the GDI font of the output pane and the input line.
    class Font {
    public:
        Font() : handle(nullptr) {}
        Font(const Font&) = delete;
        Font& operator=(const Font&) = delete;
        ~Font();
        void Reset(HFONT font);
        HFONT Get() const { return handle; }

    private:
        HFONT handle;
    };

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK InputProcedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool OnCreate();
    void Layout(int width, int height);
    void OnCommand(int id);
    void OnReceived();
    HWND AddControl(const char* className, const char* text, DWORD style, int id, HFONT font);

    void ShowPortState();
    void ShowTitle();
    void ShowLines(unsigned long modemStatus);
    void ShowErrors(unsigned long errors);
    void ShowMessage(const char* text);
    void Report(const char* what, CCommLib::ERR result);

    void SendInput();
    void Toggle(HWND box, unsigned long setCode, unsigned long clearCode, const char* line);

    HINSTANCE instance;
    HWND window;
    HWND input;
    HWND send;
    HWND lineEndLabel;
    HWND lineEnd;
    HWND dtr;
    HWND rts;
    HWND breakBox;
    HWND lines;
    HWND message;
    Font textFont;
    OutputPane output;
    CCommLib::PORT shownPort; // the port that the output pane last said was open
    WindowPort port;
};

#endif
