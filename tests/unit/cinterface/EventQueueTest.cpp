#include <cstdio>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "cinterface/EventQueue.h"

namespace {

constexpr DWORD kSize = MOKACOMM_QUEUE_SIZE;

void PushRx(EventQueue& queue, DWORD value)
{
    queue.Push(MOKACOMM_EVENT_RX, value, COMSTAT{});
}

// The kind and value of every event until the queue is empty; an overflow as kind 5.
std::vector<std::pair<DWORD, DWORD>> Drain(EventQueue& queue)
{
    std::vector<std::pair<DWORD, DWORD>> taken;
    MOKACOMM_EVENT event{};
    while (queue.Take(0, event))
        taken.emplace_back(event.kind, event.value);
    return taken;
}

TEST(EventQueue, HoldsAFullQueueInOrderAndCarriesTheErrorStatus)
{
    EventQueue queue;
    COMSTAT status{};
    status.cbInQue = 7;
    queue.Push(MOKACOMM_EVENT_ERROR, CE_FRAME, status);
    for (DWORD i = 1; i < kSize; ++i)
        PushRx(queue, i);
    MOKACOMM_EVENT event{};
    ASSERT_TRUE(queue.Take(0, event));
    EXPECT_EQ(DWORD{MOKACOMM_EVENT_ERROR}, event.kind);
    EXPECT_EQ(DWORD{CE_FRAME}, event.value);
    EXPECT_EQ(7u, event.status.cbInQue);
    const auto rest = Drain(queue);
    ASSERT_EQ(kSize - 1, rest.size());
    for (DWORD i = 1; i < kSize; ++i)
        ASSERT_EQ(std::make_pair(DWORD{MOKACOMM_EVENT_RX}, i), rest[i - 1]);
}

// Dropped events are counted where they were lost: after what came before, before what came
// after; and when nothing comes after, once everything stored has been taken.
TEST(EventQueue, ReportsDroppedEventsWhereTheyWereLost)
{
    EventQueue queue;
    for (DWORD i = 0; i < kSize + 10; ++i)
        PushRx(queue, i);
    MOKACOMM_EVENT event{};
    ASSERT_TRUE(queue.Take(0, event));
    PushRx(queue, 5000); // room for itself but not for the report before it: dropped too
    ASSERT_TRUE(queue.Take(0, event));
    PushRx(queue, 6000);
    const auto taken = Drain(queue);
    ASSERT_EQ(kSize, taken.size());
    EXPECT_EQ(kSize - 1, taken[kSize - 3].second);
    EXPECT_EQ(std::make_pair(DWORD{MOKACOMM_EVENT_OVERFLOW}, 11ul), taken[kSize - 2]);
    EXPECT_EQ(std::make_pair(DWORD{MOKACOMM_EVENT_RX}, 6000ul), taken[kSize - 1]);

    for (DWORD i = 0; i < kSize + 3; ++i)
        PushRx(queue, i);
    const auto full = Drain(queue);
    ASSERT_EQ(kSize + 1, full.size());
    EXPECT_EQ(std::make_pair(DWORD{MOKACOMM_EVENT_OVERFLOW}, 3ul), full.back());
}

// The event thread pushes while the host takes, waiting: every event arrives once, in order, or
// is counted in an overflow report.
TEST(EventQueue, LosesNothingUnreportedWhileTheHostTakesConcurrently)
{
    constexpr DWORD kEvents = 200000;
    EventQueue queue;
    // Now and then it lets the host catch up, so that the queue both wraps and overflows.
    std::thread producer([&] {
        for (DWORD i = 0; i < kEvents; ++i) {
            PushRx(queue, i);
            if (i % 512 == 0)
                Sleep(0);
        }
    });
    DWORD next = 0;
    DWORD reportedLost = 0;
    MOKACOMM_EVENT event{};
    while (next < kEvents && queue.Take(5000, event)) {
        if (event.kind == MOKACOMM_EVENT_OVERFLOW) {
            next += event.value;
            reportedLost += event.value;
        } else {
            ASSERT_EQ(next, event.value);
            ++next;
        }
    }
    producer.join();
    EXPECT_EQ(kEvents, next);
    EXPECT_FALSE(queue.Take(0, event));
    std::printf("%lu events, %lu dropped and reported\n", static_cast<unsigned long>(kEvents),
                static_cast<unsigned long>(reportedLost));
}

} // namespace
