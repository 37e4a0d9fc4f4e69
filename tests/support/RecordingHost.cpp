#include "RecordingHost.h"

#include "Eventually.h"
#include "Threads.h"

void RecordingHost::Record(char hook, unsigned long value)
{
    std::lock_guard<std::mutex> guard(lock);
    calls.push_back({hook, value, GetCurrentThreadId()});
    ++running;
}

void RecordingHost::Returned()
{
    std::lock_guard<std::mutex> guard(lock);
    --running;
    lastReturn = PreciseSystemTime();
}

void RecordingHost::EventRx(unsigned long n)
{
    Record('R', n);
    if (onRx)
        onRx(*this, n);
    Returned();
}

void RecordingHost::EventLine(unsigned long status)
{
    Record('L', status);
    if (onLine)
        onLine(*this, status);
    Returned();
}

void RecordingHost::EventTxEnd()
{
    Record('T', 0);
    if (onTxEnd)
        onTxEnd(*this);
    Returned();
}

void RecordingHost::EventError(COMSTAT& status, unsigned long errors)
{
    Record('E', errors);
    if (onError)
        onError(*this, status, errors);
    Returned();
}

std::vector<HookCall> RecordingHost::Calls()
{
    std::lock_guard<std::mutex> guard(lock);
    return calls;
}

std::string RecordingHost::Letters()
{
    std::string letters;
    for (const HookCall& c : Calls())
        letters += c.hook;
    return letters;
}

size_t RecordingHost::Count(char hook)
{
    size_t n = 0;
    for (const HookCall& c : Calls())
        n += c.hook == hook;
    return n;
}

bool RecordingHost::WaitFor(const std::function<bool(const HookCall&)>& match, DWORD timeoutMs)
{
    return Eventually(
        [&] {
            for (const HookCall& c : Calls())
                if (match(c))
                    return true;
            return false;
        },
        timeoutMs);
}

bool RecordingHost::WaitForHook(char hook, DWORD timeoutMs)
{
    return WaitFor([hook](const HookCall& c) { return c.hook == hook; }, timeoutMs);
}

bool RecordingHost::WaitForNextWait(DWORD timeoutMs)
{
    return Eventually(
        [&] {
            ULONGLONG since;
            {
                std::lock_guard<std::mutex> guard(lock);
                if (running != 0)
                    return false;
                since = lastReturn;
            }
            // Wine's poll thread of the wait that called the hooks was started before they ran.
            for (DWORD id : ProcessThreadIds())
                if (ThreadCreationTime(id) > since)
                    return true;
            return false;
        },
        timeoutMs);
}

void RecordingHost::Clear()
{
    std::lock_guard<std::mutex> guard(lock);
    calls.clear();
}
