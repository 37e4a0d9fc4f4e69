#include "WindowPort.h"

WindowPort::WindowPort() : window(nullptr) {}

WindowPort::~WindowPort()
{
    Close();
}

void WindowPort::EventRx(unsigned long count)
{
    // Ask for exactly what is waiting: a longer read would wait for the read time-out.
    char buffer[512];
    while (count > 0) {
        const unsigned long want = count < sizeof buffer ? count : sizeof buffer;
        unsigned long got = 0;
        const bool complete = Receive(buffer, want, &got);
        if (got > 0 && received.Put(buffer, got))
            PostMessageA(window, WM_PORT_RECEIVED, 0, 0);
        if (!complete || got == 0)
            return;
        count -= got;
    }
}

void WindowPort::EventLine(unsigned long status)
{
    PostMessageA(window, WM_PORT_LINES, status, 0);
}

void WindowPort::EventError(COMSTAT&, unsigned long errors)
{
    PostMessageA(window, WM_PORT_ERRORS, errors, 0);
}
