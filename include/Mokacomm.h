// Mokacomm: serial (COM) ports for Windows applications.
//
// Derive from CCommLib, override the Event hooks you need, Open a port by number, then Send and
// Receive. The hooks run on the library's event thread (see README.md for the threading rules).
//
// Link the build of your compiler's C++ ABI: Visual C++ or clang-cl, or mingw-w64 (README.md).
//
// Texts: the data that Send and Receive move are bytes, never converted. GetPortStr gives code
// page 932 bytes whatever the system's ANSI code page. The dialogs of SelectPort and SettingDlg
// and their messages are Japanese, in UTF-16, and read the same on every Windows.
#ifndef MOKACOMM_H
#define MOKACOMM_H

#include <windows.h>

#if defined(MOKACOMM_BUILDING)
#define MOKACOMM_API __declspec(dllexport)
#elif defined(MOKACOMM_STATIC)
#define MOKACOMM_API
#else
#define MOKACOMM_API __declspec(dllimport)
#endif

class BoundCommPortEngine;

class MOKACOMM_API CCommLib {
public:
    // COMk is PORT_COMk; PORT_NONE means no port.
    enum PORT {
        PORT_COM1, PORT_COM2, PORT_COM3, PORT_COM4, PORT_COM5, PORT_COM6, PORT_COM7, PORT_COM8,
        PORT_COM9, PORT_COM10, PORT_COM11, PORT_COM12, PORT_COM13, PORT_COM14, PORT_COM15,
        PORT_COM16, PORT_COM17, PORT_COM18, PORT_COM19, PORT_COM20, PORT_COM21, PORT_COM22,
        PORT_COM23, PORT_COM24, PORT_COM25, PORT_COM26, PORT_COM27, PORT_COM28, PORT_COM29,
        PORT_COM30, PORT_COM31, PORT_COM32,
        PORT_NONE
    };

    enum ERR {
        ERR_OK,               // success
        ERR_ALREADY,          // Open: a port is open; Close: no port is open
        ERR_EXISTS,           // Open: CreateFileA failed with ERROR_ALREADY_EXISTS
        ERR_BAD_PORT,         // Open: the number is not COM1..COM32
        ERR_OPEN_FAILED,      // Open: CreateFileA failed
        ERR_SET_MASK,         // Open: SetCommMask failed
        ERR_SETUP,            // Open: SetupComm failed
        ERR_PURGE,            // Open: PurgeComm failed
        ERR_TIMEOUTS,         // Open: SetCommTimeouts failed
        ERR_GET_STATE,        // Open: GetCommState failed
        ERR_SET_STATE,        // Open: SetCommState refused the settings
        ERR_SYSTEM,           // Close: CloseHandle failed; SetLineStat: EscapeCommFunction failed
        ERR_THREAD,           // Open: the event thread could not be started
        ERR_THREAD_ABANDONED, // Close: the wait for the event thread was abandoned
        ERR_THREAD_TIMEOUT,   // Close: the event thread did not end within 10 s
        ERR_THREAD_WAIT,      // Close: the wait for the event thread failed
        ERR_NOT_OPEN,         // Send, SetLineStat, SetDCB: no port is open
        ERR_SHORT_WRITE,      // Send: fewer bytes were written than asked
        ERR_IO                // Send: the write failed; SetDCB: the port refused the settings
    };

    // The first argument is the output (transmit) queue, the second the input (receive) queue.
    CCommLib(unsigned long outQueueSize = 1024, unsigned long inQueueSize = 1024);
    // A copy operates the same port; the port's events still go to the object that created it.
    CCommLib(const CCommLib& other);
    CCommLib& operator=(const CCommLib& other);
    ~CCommLib();

    ERR Open(PORT port);
    ERR Close();
    ERR Send(const char* text);
    ERR Send(const void* data, unsigned long length, unsigned long* written);
    bool Receive(char* buffer, unsigned long length, unsigned long* received);
    ERR SetDCB(const DCB& settings);
    // The stored settings, valid until this object is destroyed or assigned.
    const DCB& GetDCB();
    PORT GetPort();
    void* GetHandle();
    unsigned long GetLastError();
    unsigned long GetLineStat();
    ERR SetLineStat(unsigned long function);
    void SelectPort();
    void SettingDlg();
    // "COM1".."COM32", or for any other number "disconnected" in Japanese, in code page 932: the
    // bytes 0x90 0xD8 0x92 0x66. Show it converted from code page 932 (MultiByteToWideChar(932,
    // ...)): an ANSI function would take it in the system's code page, which is 932 only in Japan.
    static const char* GetPortStr(PORT port);

    // Called on the event thread. EventTxEnd runs while the port lock is held.
    virtual void EventRx(unsigned long bytesInQueue);
    virtual void EventLine(unsigned long modemStatus);
    virtual void EventTxEnd();
    virtual void EventError(COMSTAT& status, unsigned long errors);

private:
    BoundCommPortEngine* engine;
};

#endif
