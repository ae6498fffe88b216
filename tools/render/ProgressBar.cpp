#include "ProgressBar.h"

#include <cstdio>

namespace toneloom {

namespace {

constexpr auto kQuietPeriod = std::chrono::milliseconds(500); // shorter jobs draw nothing
constexpr int kBarCells = 40;

} // namespace

ProgressBar::ProgressBar(int64_t newTotal, bool newEnabled)
    : total(newTotal > 0 ? newTotal : 1), enabled(newEnabled), start(Clock::now())
{
}

ProgressBar::~ProgressBar()
{
    Finish();
}

void ProgressBar::Update(int64_t done)
{
    if (!enabled || Clock::now() - start < kQuietPeriod) {
        return;
    }
    const int percent = static_cast<int>(100 * done / total);
    if (percent == lastPercent) {
        return;
    }
    lastPercent = percent;
    const int filled = percent * kBarCells / 100;
    char bar[kBarCells + 1];
    for (int i = 0; i < kBarCells; ++i) {
        bar[i] = i < filled ? '#' : '.';
    }
    bar[kBarCells] = '\0';
    std::fprintf(stderr, "\r[%s] %3d%%", bar, percent);
    std::fflush(stderr);
    drawn = true;
}

void ProgressBar::Finish()
{
    if (drawn) {
        std::fprintf(stderr, "\r%*s\r", kBarCells + 8, "");
        std::fflush(stderr);
        drawn = false;
    }
}

} // namespace toneloom
