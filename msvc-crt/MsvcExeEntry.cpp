// The entry point of console programs of the Microsoft-ABI build (tests, examples): what Visual
// C++'s mainCRTStartup does, over msvcrt.dll. The program's static objects exist while main runs.
#include <corecrt_startup.h>
#include <stdlib.h>

#include "MsvcRuntime.h"

int main(int argc, char** argv);

extern "C" __attribute__((no_stack_protector)) void mainCRTStartup()
{
    MsvcRuntimeStart();
    int argc = 0;
    char** argv = nullptr;
    char** environment = nullptr;
    int newMode = 0;
    __getmainargs(&argc, &argv, &environment, 0, &newMode);
    const int status = main(argc, argv);
    MsvcRuntimeStop();
    // msvcrt.dll's exit flushes its streams before the process ends.
    exit(status);
}
