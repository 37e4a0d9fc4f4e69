// Ends the test program with a message when a piece of a test runs past its limit, so that a
// dead-lock fails the test instead of hanging the suite. A dead-locked thread cannot be unwound,
// so the process is terminated; CTest reports the exit code and the message.
#ifndef MOKACOMM_TESTS_WATCHDOG_H
#define MOKACOMM_TESTS_WATCHDOG_H

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "base/Win32.h"

class Watchdog {
public:
    // `describe`, if given, tells what the test was doing when the time ran out.
    Watchdog(std::string what, DWORD limitMs, std::function<std::string()> describe = nullptr);
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;
    ~Watchdog();

private:
    std::string what;
    std::function<std::string()> describe;
    std::mutex lock;
    std::condition_variable finished;
    bool done = false;
    std::thread guard;
};

#endif
