// The renderer's millisecond clock: a monotonic wall clock, so that a pause
// between two process calls is measured in real time (a CPU-time clock would
// not advance while the host is idle). Tests replace it with a clock of their
// own through CLS_TONELOOM::SetMillisecondClock.
#pragma once

#include <cstdint>

namespace toneloom {

class MillisecondClock
{
public:
    MillisecondClock() = default;
    virtual ~MillisecondClock() = default;
    MillisecondClock(const MillisecondClock&) = delete;
    MillisecondClock& operator=(const MillisecondClock&) = delete;

    // [any thread] Milliseconds since an arbitrary origin; wraps around at
    // 2^32, so callers compare readings as unsigned differences. Must not
    // allocate or block: the audio thread reads it once per block.
    virtual uint32_t NowMs() = 0;
};

// std::chrono::steady_clock in milliseconds.
class SteadyMillisecondClock final : public MillisecondClock
{
public:
    uint32_t NowMs() override;

    // The process-wide instance every plug-in uses unless told otherwise.
    static SteadyMillisecondClock& Shared();
};

} // namespace toneloom
