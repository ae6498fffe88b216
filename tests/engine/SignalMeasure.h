// Measurements of rendered signals: frequency by zero crossings, the
// amplitude of one frequency by a single DFT bin, peaks, steps and envelopes.
// Ranges are [begin, begin + count) in samples.
#pragma once

#include <vector>

namespace toneloom::testing {

// Positions (in fractional samples) where the signal rises through zero,
// linearly interpolated between the samples around each crossing.
std::vector<double> RisingCrossings(const std::vector<double>& x, int begin, int count);

// Mean frequency over the range from the first to the last rising crossing;
// 0 with fewer than two crossings.
double FrequencyHz(const std::vector<double>& x, int begin, int count, double sampleRateHz);

// Frequency at sample position `at`: the mean frequencies of the periods
// between rising crossings, interpolated linearly between the periods'
// middles. 0 without two periods around `at` within `reachFrames` samples.
double FrequencyAtHz(const std::vector<double>& x, double at, double sampleRateHz,
                     int reachFrames = 8192);

// Phase in radians of the component at `hz` in the range, measured against
// an oscillator at `hz` that was at phase 0 at sample 0 (not at `begin`), so
// that two signals measured over the same range compare directly.
double ComponentPhase(const std::vector<double>& x, int begin, int count, double hz,
                      double sampleRateHz);

// Amplitude of the component at `hz`: 2/N times the magnitude of the DFT bin.
// Exact for components with a whole number of cycles in the range.
double ToneAmplitude(const std::vector<double>& x, int begin, int count, double hz,
                     double sampleRateHz);

double Peak(const std::vector<double>& x, int begin, int count); // largest |x|
double Minimum(const std::vector<double>& x, int begin, int count);
double Maximum(const std::vector<double>& x, int begin, int count);
// Largest |x[i + 1] - x[i]| within the range.
double LargestStep(const std::vector<double>& x, int begin, int count);

// Peak of |x| in consecutive windows of `window` samples.
std::vector<double> Envelope(const std::vector<double>& x, int begin, int count, int window);

// Period, in entries, of a roughly periodic sequence: the mean distance
// between its rising crossings of its own mean value.
double PeriodOf(const std::vector<double>& sequence);

} // namespace toneloom::testing
