#include "ToneMeasure.h"

#include <algorithm>
#include <cmath>

namespace toneloom::testing {

double FrequencyHz(const std::vector<double>& x, int begin, int count, double sampleRateHz)
{
    const int end = std::min(begin + count, static_cast<int>(x.size()));
    double first = -1.0;
    double last = -1.0;
    int crossings = 0;
    for (int i = std::max(begin, 0) + 1; i < end; ++i) {
        const double before = x[static_cast<size_t>(i - 1)];
        const double after = x[static_cast<size_t>(i)];
        if (before < 0.0 && after >= 0.0) {
            const double position = (i - 1) + before / (before - after);
            if (crossings == 0) {
                first = position;
            }
            last = position;
            ++crossings;
        }
    }
    if (crossings < 2) {
        return 0.0;
    }
    return (crossings - 1) * sampleRateHz / (last - first);
}

double Peak(const std::vector<double>& x, int begin, int count)
{
    const int end = std::min(begin + count, static_cast<int>(x.size()));
    double peak = 0.0;
    for (int i = std::max(begin, 0); i < end; ++i) {
        peak = std::max(peak, std::fabs(x[static_cast<size_t>(i)]));
    }
    return peak;
}

bool AllFinite(const std::vector<double>& x)
{
    return std::all_of(x.begin(), x.end(), [](double v) { return std::isfinite(v); });
}

} // namespace toneloom::testing
