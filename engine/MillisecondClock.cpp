#include "MillisecondClock.h"

#include <chrono>

namespace toneloom {

uint32_t SteadyMillisecondClock::NowMs()
{
    const auto sinceOrigin = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceOrigin).count();
    return static_cast<uint32_t>(ms); // keeps the low 32 bits: readings wrap
}

SteadyMillisecondClock& SteadyMillisecondClock::Shared()
{
    static SteadyMillisecondClock clock;
    return clock;
}

} // namespace toneloom
