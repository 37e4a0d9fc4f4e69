// A host class that records every hook call, in order, for tests on a live port.
#ifndef MOKACOMM_TESTS_RECORDING_HOST_H
#define MOKACOMM_TESTS_RECORDING_HOST_H

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "base/Win32.h"

#include "Mokacomm.h"

struct HookCall {
    char hook; // 'R' EventRx, 'L' EventLine, 'T' EventTxEnd, 'E' EventError
    unsigned long value; // the byte count, the modem status or the error word
    DWORD thread;
};

class RecordingHost : public CCommLib {
public:
    using CCommLib::CCommLib;
    // The hooks use this object's members, so the port closes before they go.
    ~RecordingHost() { Close(); }

    // Optional behaviour of each hook, run after the call is recorded.
    std::function<void(RecordingHost&, unsigned long)> onRx;
    std::function<void(RecordingHost&, unsigned long)> onLine;
    std::function<void(RecordingHost&)> onTxEnd;
    std::function<void(RecordingHost&, COMSTAT&, unsigned long)> onError;

    void EventRx(unsigned long n) override;
    void EventLine(unsigned long status) override;
    void EventTxEnd() override;
    void EventError(COMSTAT& status, unsigned long errors) override;

    std::vector<HookCall> Calls();
    // The hooks called so far, one letter each.
    std::string Letters();
    size_t Count(char hook);
    // Waits until some call satisfies `match`, up to `timeoutMs`.
    bool WaitFor(const std::function<bool(const HookCall&)>& match, DWORD timeoutMs = 5000);
    bool WaitForHook(char hook, DWORD timeoutMs = 5000);
    // Waits until the hooks have returned and the event thread has its next wait pending. Wine's
    // WaitCommEvent sees only what changes after it started: it reads the lines and counters
    // then and starts a thread of its own to poll them. A line change or error made before that
    // is lost, where Windows would report it to the next wait; tests that make one event after
    // another wait for this in between.
    bool WaitForNextWait(DWORD timeoutMs = 5000);
    void Clear();

private:
    void Record(char hook, unsigned long value);
    void Returned();

    std::mutex lock;
    std::vector<HookCall> calls;
    int running = 0;           // hooks being called now
    ULONGLONG lastReturn = 0; // when the last hook returned, in FILETIME units
};

#endif
