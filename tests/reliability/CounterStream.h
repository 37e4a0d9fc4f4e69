// A byte stream made of consecutive 32-bit counters (little-endian), so that a lost, doubled or
// reordered byte shows at the first place it happened, and a failure message can say which counter
// was due there.
#ifndef MOKACOMM_TESTS_COUNTER_STREAM_H
#define MOKACOMM_TESTS_COUNTER_STREAM_H

#include <cstddef>
#include <cstdint>
#include <string>

// The stream's bytes from `offset` on, into `out`.
void FillCounters(std::uint64_t offset, char* out, std::size_t length);

// Follows one stream as it arrives, chunk by chunk.
class CounterCheck {
public:
    // Takes the next chunk; false from the first byte out of place on.
    bool Take(const char* data, std::size_t length);
    std::uint64_t Next() const { return next; }
    bool Intact() const { return mismatch.empty(); }
    // Where the stream first went wrong, empty while it is intact.
    const std::string& Mismatch() const { return mismatch; }

private:
    std::uint64_t next = 0;
    std::string mismatch;
};

#endif
