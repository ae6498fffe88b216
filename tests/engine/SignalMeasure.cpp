#include "SignalMeasure.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numeric>

namespace toneloom::testing {

namespace {

constexpr double kTwoPi = 6.283185307179586;

std::vector<double> RisingCrossingsOf(const std::vector<double>& x, int begin, int count,
                                      double level)
{
    std::vector<double> crossings;
    const int end = std::min(begin + count, static_cast<int>(x.size()));
    for (int i = std::max(begin, 0) + 1; i < end; ++i) {
        const double a = x[i - 1] - level;
        const double b = x[i] - level;
        if (a < 0.0 && b >= 0.0) {
            crossings.push_back(i - 1 + a / (a - b));
        }
    }
    return crossings;
}

} // namespace

std::vector<double> RisingCrossings(const std::vector<double>& x, int begin, int count)
{
    return RisingCrossingsOf(x, begin, count, 0.0);
}

double FrequencyHz(const std::vector<double>& x, int begin, int count, double sampleRateHz)
{
    const std::vector<double> c = RisingCrossings(x, begin, count);
    if (c.size() < 2) {
        return 0.0;
    }
    return (c.size() - 1) / (c.back() - c.front()) * sampleRateHz;
}

double FrequencyAtHz(const std::vector<double>& x, double at, double sampleRateHz, int reachFrames)
{
    const int begin = static_cast<int>(at) - reachFrames;
    const std::vector<double> c = RisingCrossings(x, begin, 2 * reachFrames);
    for (size_t k = 0; k + 2 < c.size(); ++k) {
        const double middle = 0.5 * (c[k] + c[k + 1]);
        const double nextMiddle = 0.5 * (c[k + 1] + c[k + 2]);
        if (middle <= at && at <= nextMiddle) {
            const double hz = sampleRateHz / (c[k + 1] - c[k]);
            const double nextHz = sampleRateHz / (c[k + 2] - c[k + 1]);
            return hz + (nextHz - hz) * (at - middle) / (nextMiddle - middle);
        }
    }
    return 0.0;
}

double ComponentPhase(const std::vector<double>& x, int begin, int count, double hz,
                      double sampleRateHz)
{
    std::complex<double> sum = 0.0;
    for (int i = begin; i < begin + count; ++i) {
        // Whole cycles are dropped before the angle is formed, so that the
        // reference stays exact far into a signal.
        const double cycles = std::fmod(static_cast<double>(i) * hz / sampleRateHz, 1.0);
        sum += x[i] * std::polar(1.0, -kTwoPi * cycles);
    }
    return std::arg(sum);
}

double ToneAmplitude(const std::vector<double>& x, int begin, int count, double hz,
                     double sampleRateHz)
{
    const double radPerSample = kTwoPi * hz / sampleRateHz;
    std::complex<double> sum = 0.0;
    for (int i = 0; i < count; ++i) {
        sum += x[begin + i] * std::polar(1.0, -radPerSample * i);
    }
    return 2.0 * std::abs(sum) / count;
}

double Peak(const std::vector<double>& x, int begin, int count)
{
    double peak = 0.0;
    for (int i = begin; i < begin + count; ++i) {
        peak = std::max(peak, std::fabs(x[i]));
    }
    return peak;
}

double Minimum(const std::vector<double>& x, int begin, int count)
{
    return *std::min_element(x.begin() + begin, x.begin() + begin + count);
}

double Maximum(const std::vector<double>& x, int begin, int count)
{
    return *std::max_element(x.begin() + begin, x.begin() + begin + count);
}

double LargestStep(const std::vector<double>& x, int begin, int count)
{
    double largest = 0.0;
    for (int i = begin + 1; i < begin + count; ++i) {
        largest = std::max(largest, std::fabs(x[i] - x[i - 1]));
    }
    return largest;
}

std::vector<double> Envelope(const std::vector<double>& x, int begin, int count, int window)
{
    std::vector<double> envelope;
    for (int w = begin; w + window <= begin + count; w += window) {
        envelope.push_back(Peak(x, w, window));
    }
    return envelope;
}

double PeriodOf(const std::vector<double>& sequence)
{
    const double mean = std::accumulate(sequence.begin(), sequence.end(), 0.0) /
                        static_cast<double>(sequence.size());
    const std::vector<double> c =
        RisingCrossingsOf(sequence, 0, static_cast<int>(sequence.size()), mean);
    if (c.size() < 2) {
        return 0.0;
    }
    return (c.back() - c.front()) / static_cast<double>(c.size() - 1);
}

} // namespace toneloom::testing
