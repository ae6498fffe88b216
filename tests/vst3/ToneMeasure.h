// Measurements of rendered signals for the VST 3 tests. Ranges are
// [begin, begin + count) in samples.
#pragma once

#include <vector>

namespace toneloom::testing {

// Mean frequency between the first and the last rising zero crossing, with
// crossings interpolated between samples; 0 with fewer than two crossings.
double FrequencyHz(const std::vector<double>& x, int begin, int count, double sampleRateHz);

// Largest |x| in the range.
double Peak(const std::vector<double>& x, int begin, int count);

// True when every sample in the range is finite.
bool AllFinite(const std::vector<double>& x);

} // namespace toneloom::testing
