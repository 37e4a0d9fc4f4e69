#include "Watchdog.h"

#include <chrono>
#include <cstdio>

Watchdog::Watchdog(std::string what, DWORD limitMs, std::function<std::string()> describe)
    : what(std::move(what)), describe(std::move(describe))
{
    guard = std::thread([this, limitMs] {
        std::unique_lock<std::mutex> held(lock);
        if (finished.wait_for(held, std::chrono::milliseconds(limitMs), [this] { return done; }))
            return;
        const std::string state = this->describe ? ": " + this->describe() : "";
        std::fprintf(stderr, "\nwatchdog: %s did not finish within %lu ms%s\n",
                     this->what.c_str(), static_cast<unsigned long>(limitMs), state.c_str());
        std::fflush(stderr);
        std::fflush(stdout);
        TerminateProcess(GetCurrentProcess(), 3);
    });
}

Watchdog::~Watchdog()
{
    {
        std::lock_guard<std::mutex> held(lock);
        done = true;
    }
    finished.notify_all();
    guard.join();
}
