#include "PX_Resample.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace toneloom {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kLobes = 3.0; // Lanczos window, in filter widths either side

double Sinc(double x)
{
    if (std::fabs(x) < 1e-9) {
        return 1.0;
    }
    const double a = kPi * x;
    return std::sin(a) / a;
}

double Lanczos(double x)
{
    return std::fabs(x) < kLobes ? Sinc(x) * Sinc(x / kLobes) : 0.0;
}

// The weights of one axis: output sample i takes count[i] inputs from
// first[i] on, with weights[offset[i] ..], summing to 1.
struct AxisWeights
{
    std::vector<int> first;
    std::vector<int> count;
    std::vector<int> offset;
    std::vector<float> weights;
};

AxisWeights WeightsFor(int inSize, int outSize)
{
    AxisWeights axis;
    axis.first.resize(static_cast<size_t>(outSize));
    axis.count.resize(static_cast<size_t>(outSize));
    axis.offset.resize(static_cast<size_t>(outSize));
    const double ratio = static_cast<double>(inSize) / outSize; // input pixels per output pixel
    const double stretch = std::max(ratio, 1.0);                // filter widening when shrinking
    const double support = kLobes * stretch;
    std::vector<double> taps;
    for (int i = 0; i < outSize; ++i) {
        // Pixel centres: output centre i + 0.5 lies at input position
        // (i + 0.5) x ratio, whose nearest input centre is that minus 0.5.
        const double centre = (i + 0.5) * ratio - 0.5;
        const int low = static_cast<int>(std::floor(centre - support)) + 1;
        const int high = static_cast<int>(std::ceil(centre + support)) - 1;
        taps.assign(static_cast<size_t>(high - low + 1), 0.0);
        double sum = 0.0;
        for (int j = low; j <= high; ++j) {
            const double w = Lanczos((j - centre) / stretch);
            taps[static_cast<size_t>(j - low)] = w;
            sum += w;
        }
        // Inputs beyond the edge repeat the edge pixel: fold their weight in.
        const int first = std::clamp(low, 0, inSize - 1);
        const int last = std::clamp(high, 0, inSize - 1);
        axis.first[static_cast<size_t>(i)] = first;
        axis.count[static_cast<size_t>(i)] = last - first + 1;
        axis.offset[static_cast<size_t>(i)] = static_cast<int>(axis.weights.size());
        const size_t base = axis.weights.size();
        axis.weights.resize(base + static_cast<size_t>(last - first + 1), 0.0f);
        for (int j = low; j <= high; ++j) {
            const int at = std::clamp(j, 0, inSize - 1) - first;
            const double w = sum != 0.0 ? taps[static_cast<size_t>(j - low)] / sum : 0.0;
            axis.weights[base + static_cast<size_t>(at)] += static_cast<float>(w);
        }
    }
    return axis;
}

bool Inside(const PX_IBitmap* bitmap, int x, int y, int w, int h)
{
    return bitmap != nullptr && bitmap->Pixels() != nullptr && w > 0 && h > 0 && x >= 0 && y >= 0 &&
           x + w <= bitmap->Width() && y + h <= bitmap->Height();
}

uint32_t Channel(float value)
{
    return static_cast<uint32_t>(std::clamp(std::lround(value), 0L, 255L));
}

} // namespace

bool ResampleRect(PX_IBitmap* dest, int dstX, int dstY, int dstW, int dstH, const PX_IBitmap* src,
                  int srcX, int srcY, int srcW, int srcH)
{
    if (!Inside(dest, dstX, dstY, dstW, dstH) || !Inside(src, srcX, srcY, srcW, srcH)) {
        return false;
    }
    const AxisWeights across = WeightsFor(srcW, dstW);
    const AxisWeights down = WeightsFor(srcH, dstH);

    // Source rows resized across, premultiplied, four floats a pixel (alpha,
    // red x alpha, green x alpha, blue x alpha; 0..255), kept in a ring of
    // as many rows as one output row reads: the output rows read windows of
    // source rows that only move down, so each source row is resized once
    // and the memory is a few rows whatever the picture's size.
    int window = 1;
    for (const int count : down.count) {
        window = std::max(window, count);
    }
    const size_t rowFloats = static_cast<size_t>(dstW) * 4;
    std::vector<float> ring(static_cast<size_t>(window) * rowFloats);
    std::vector<int> ringRow(static_cast<size_t>(window), -1); // source row in each slot
    std::vector<float> premultiplied(static_cast<size_t>(srcW) * 4);
    auto resizedRow = [&](int y) -> const float* {
        float* row = &ring[static_cast<size_t>(y % window) * rowFloats];
        if (ringRow[static_cast<size_t>(y % window)] == y) {
            return row;
        }
        ringRow[static_cast<size_t>(y % window)] = y;
        const PX_Pixel* in = src->Row(srcY + y) + srcX;
        for (int x = 0; x < srcW; ++x) {
            const PX_Pixel p = in[x];
            const float a = static_cast<float>(p >> 24);
            const float k = a / 255.0f;
            float* out = &premultiplied[static_cast<size_t>(x) * 4];
            out[0] = a;
            out[1] = static_cast<float>((p >> 16) & 0xFF) * k;
            out[2] = static_cast<float>((p >> 8) & 0xFF) * k;
            out[3] = static_cast<float>(p & 0xFF) * k;
        }
        for (int i = 0; i < dstW; ++i) {
            const float* w = &across.weights[static_cast<size_t>(across.offset[i])];
            const float* s = &premultiplied[static_cast<size_t>(across.first[i]) * 4];
            float sum[4] = {0.0f, 0.0f, 0.0f, 0.0f};
            for (int t = 0; t < across.count[i]; ++t) {
                for (int c = 0; c < 4; ++c) {
                    sum[c] += w[t] * s[t * 4 + c];
                }
            }
            std::copy(sum, sum + 4, row + static_cast<size_t>(i) * 4);
        }
        return row;
    };

    // Down the columns, then back to straight alpha.
    std::vector<float> sums(rowFloats);
    for (int j = 0; j < dstH; ++j) {
        std::fill(sums.begin(), sums.end(), 0.0f);
        const float* w = &down.weights[static_cast<size_t>(down.offset[j])];
        for (int t = 0; t < down.count[j]; ++t) {
            const float* row = resizedRow(down.first[j] + t);
            for (size_t f = 0; f < rowFloats; ++f) {
                sums[f] += w[t] * row[f];
            }
        }
        PX_Pixel* out = dest->Row(dstY + j) + dstX;
        for (int i = 0; i < dstW; ++i) {
            const float* sum = &sums[static_cast<size_t>(i) * 4];
            const float a = std::clamp(sum[0], 0.0f, 255.0f);
            const float unmultiply = a > 0.0f ? 255.0f / a : 0.0f;
            out[i] = Channel(a) << 24 | Channel(sum[1] * unmultiply) << 16 |
                     Channel(sum[2] * unmultiply) << 8 | Channel(sum[3] * unmultiply);
        }
    }
    return true;
}

} // namespace toneloom
