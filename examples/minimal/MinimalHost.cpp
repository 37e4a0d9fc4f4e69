// The smallest Mokacomm host: print what arrives on COM5 for ten seconds.
#include <windows.h>

#include <stdio.h>

#include "Mokacomm.h"

class Printer : public CCommLib {
public:
    ~Printer() { Close(); } // the port closes while EventRx can still run on this object

    void EventRx(unsigned long count) override
    {
        char buffer[256];
        unsigned long got = 0;
        if (Receive(buffer, count < sizeof buffer ? count : sizeof buffer, &got))
            fwrite(buffer, 1, got, stdout);
    }
};

int main()
{
    Printer port;
    if (port.Open(CCommLib::PORT_COM5) != CCommLib::ERR_OK)
        return 1;
    port.Send("hello\r\n");
    Sleep(10000);
    return 0;
}
