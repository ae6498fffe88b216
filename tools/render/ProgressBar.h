// A one-line progress bar on stderr, drawn only when stderr is a terminal and
// the job runs long enough to need one.
#pragma once

#include <chrono>
#include <cstdint>

namespace toneloom {

class ProgressBar
{
public:
    // `total` is the amount of work (frames); `enabled` false draws nothing.
    ProgressBar(int64_t total, bool enabled);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void Update(int64_t done);
    // Clears the line if anything was drawn.
    void Finish();

private:
    using Clock = std::chrono::steady_clock;

    int64_t total;
    bool enabled;
    bool drawn = false;
    int lastPercent = -1;
    Clock::time_point start;
};

} // namespace toneloom
