// Fixture of the rig self-test: a fresh pair with both ends open as Windows ports.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "NullModem.h"
#include "RigPort.h"

// Long enough for any rig event (they arrive within a few ms), short enough to fail fast.
constexpr DWORD kEventWaitMs = 2000;
// How long a wait must stay quiet to count as "no event".
constexpr DWORD kQuietMs = 300;

constexpr DWORD kAllEvents =
    EV_RXCHAR | EV_TXEMPTY | EV_CTS | EV_DSR | EV_RLSD | EV_BREAK | EV_ERR | EV_RING;

class RigPairTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pair.Ok()) << pair.Error();
        a = std::make_unique<RigPort>(pair.ComA());
        b = std::make_unique<RigPort>(pair.ComB());
        ASSERT_TRUE(a->IsOpen()) << "COM" << pair.ComA() << ": error " << a->OpenError();
        ASSERT_TRUE(b->IsOpen()) << "COM" << pair.ComB() << ": error " << b->OpenError();
    }

    // Waits on port with mask while cause runs; succeeds when the wait ends with exactly the
    // events expected.
    static ::testing::AssertionResult EventsAfter(const RigPort& port, DWORD mask,
                                                  const std::function<bool()>& cause,
                                                  DWORD expected)
    {
        if (!SetCommMask(port.Handle(), mask))
            return ::testing::AssertionFailure() << "SetCommMask: error " << GetLastError();
        CommWait wait(port.Handle());
        if (!wait.IsPending() || wait.Finish(0))
            return ::testing::AssertionFailure()
                   << "the wait ended before the cause: events " << EventNames(wait.Events())
                   << ", error " << wait.Error();
        if (!cause())
            return ::testing::AssertionFailure() << "the cause failed";
        if (!wait.Finish(kEventWaitMs))
            return ::testing::AssertionFailure()
                   << "no event within " << kEventWaitMs << " ms, expected "
                   << EventNames(expected);
        if (!wait.Succeeded())
            return ::testing::AssertionFailure() << "the wait failed: error " << wait.Error();
        if (wait.Events() != expected)
            return ::testing::AssertionFailure() << "events " << EventNames(wait.Events())
                                                 << ", expected " << EventNames(expected);
        return ::testing::AssertionSuccess();
    }

    NullModemPair pair;
    std::unique_ptr<RigPort> a, b;
};
