#include "Bench.h"

bool OpenLibrary(CCommLib& library, int com, std::string* error)
{
    const CCommLib::ERR opened = library.Open(static_cast<CCommLib::PORT>(com - 1));
    if (opened == CCommLib::ERR_OK)
        return true;
    *error = "CCommLib::Open of COM" + std::to_string(com) + " returned " +
             std::to_string(opened) + " (error " + std::to_string(library.GetLastError()) + ")";
    return false;
}

bool RawOpened(const RawPort& raw, std::string* error)
{
    if (raw.IsOpen())
        return true;
    *error = "raw port: " + raw.Error();
    return false;
}

bool LoopStarted(const RawEventLoop& loop, std::string* error)
{
    if (loop.Started())
        return true;
    *error = "the raw event thread did not start";
    return false;
}

bool LoopStopped(RawEventLoop& loop, std::string* error)
{
    if (loop.Stop())
        return true;
    *error = "the raw event thread did not end";
    return false;
}
