// Rectangle and rotated copies.
#include "PX_Combine.h"
#include "PX_Draw.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace toneloom {

using namespace px;

namespace {

constexpr PX_Pixel kOpaque = 0xFF000000u;

bool HasPixels(const PX_IBitmap* bitmap)
{
    return bitmap != nullptr && bitmap->Pixels() != nullptr && bitmap->Width() > 0 &&
           bitmap->Height() > 0;
}

#if defined(__SSE2__)
// Copy using source alpha at full opacity, four pixels at once, with the
// same results as SourceAlphaFull: |d - s| x (255 - a) fits 16 bits, so the
// truncated product is one unsigned high multiplication, then added to or
// taken from s by the sign of d - s.
inline __m128i SourceAlphaFull4(__m128i d, __m128i s)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i alphaMask = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    __m128i a = _mm_srli_epi32(s, 24);
    a = _mm_or_si128(a, _mm_slli_epi32(a, 8));
    a = _mm_or_si128(a, _mm_slli_epi32(a, 16));               // a in every byte of its pixel
    const __m128i keep = _mm_xor_si128(a, _mm_set1_epi8(-1)); // 255 - a
    const __m128i diff = _mm_or_si128(_mm_subs_epu8(d, s), _mm_subs_epu8(s, d));
    const __m128i low =
        _mm_mulhi_epu16(_mm_unpacklo_epi8(diff, zero), _mm_unpacklo_epi8(zero, keep));
    const __m128i high =
        _mm_mulhi_epu16(_mm_unpackhi_epi8(diff, zero), _mm_unpackhi_epi8(zero, keep));
    const __m128i t = _mm_packus_epi16(low, high);
    const __m128i up = _mm_cmpeq_epi8(_mm_max_epu8(d, s), d); // d >= s
    const __m128i colour =
        _mm_subs_epu8(_mm_adds_epu8(s, _mm_and_si128(t, up)), _mm_andnot_si128(up, t));
    const __m128i alpha = _mm_adds_epu8(d, a); // saturating d.alpha + a
    const __m128i out =
        _mm_or_si128(_mm_andnot_si128(alphaMask, colour), _mm_and_si128(alphaMask, alpha));
    const __m128i clear = _mm_cmpeq_epi32(_mm_and_si128(s, alphaMask), zero); // a = 0 keeps d
    return _mm_or_si128(_mm_and_si128(clear, d), _mm_andnot_si128(clear, out));
}
#endif

// Combines one row of n source pixels into the destination row by rule.
void CombineRow(PX_Pixel* d, const PX_Pixel* s, int n, Rule rule, bool forceOpaque, int k)
{
    switch (rule) {
    case Rule::Copy:
        if (k >= kFullWeight) {
            std::memmove(d, s, static_cast<size_t>(n) * sizeof(PX_Pixel));
        } else if (k == kFullWeight / 2) {
            for (int i = 0; i < n; ++i) {
                d[i] = Average(d[i], s[i]);
            }
        } else {
            for (int i = 0; i < n; ++i) {
                d[i] = CopyK(d[i], s[i], k);
            }
        }
        return;
    case Rule::SourceAlpha:
        if (k >= kFullWeight) {
            int i = 0;
#if defined(__SSE2__)
            const __m128i alphaMask = _mm_set1_epi32(static_cast<int>(0xFF000000u));
            const __m128i zero = _mm_setzero_si128();
            constexpr int kAllLanes = 0xFFFF;
            for (; i + 4 <= n; i += 4) {
                auto* dv = reinterpret_cast<__m128i*>(d + i);
                const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
                const __m128i alphas = _mm_and_si128(sv, alphaMask);
                if (_mm_movemask_epi8(_mm_cmpeq_epi32(alphas, alphaMask)) == kAllLanes) {
                    _mm_storeu_si128(dv, sv); // four opaque pixels
                } else if (_mm_movemask_epi8(_mm_cmpeq_epi32(alphas, zero)) != kAllLanes) {
                    _mm_storeu_si128(dv, SourceAlphaFull4(_mm_loadu_si128(dv), sv));
                }
            }
#endif
            for (; i < n; ++i) {
                const PX_Pixel p = s[i];
                if (p >= kOpaque) {
                    d[i] = p;
                } else if (p > 0x00FFFFFFu) {
                    d[i] = SourceAlphaFull(d[i], p);
                }
            }
        } else {
            for (int i = 0; i < n; ++i) {
                d[i] = SourceAlphaK(d[i], s[i], k);
            }
        }
        return;
    case Rule::Add:
    case Rule::Dodge:
        break;
    }
    const PX_Pixel force = forceOpaque ? kOpaque : 0;
    for (int i = 0; i < n; ++i) {
        d[i] = Combine(rule, d[i], s[i] | force, k);
    }
}

} // namespace

void BlitRect(PX_IBitmap* dest, const PX_IBitmap* src, int dstX, int dstY, int srcX, int srcY,
              int width, int height, float opacity, int mode)
{
    const int k = Weight(opacity);
    if (k == 0 || !HasPixels(dest) || !HasPixels(src)) {
        return;
    }
    // Limit to the source, then to the destination; a negative origin on one
    // side moves the other origin with it. 64-bit so no sum can overflow.
    int64_t sx = srcX, sy = srcY, dx = dstX, dy = dstY, w = width, h = height;
    if (sx < 0) {
        w += sx;
        dx -= sx;
        sx = 0;
    }
    if (sy < 0) {
        h += sy;
        dy -= sy;
        sy = 0;
    }
    if (dx < 0) {
        w += dx;
        sx -= dx;
        dx = 0;
    }
    if (dy < 0) {
        h += dy;
        sy -= dy;
        dy = 0;
    }
    w = std::min({w, src->Width() - sx, dest->Width() - dx});
    h = std::min({h, src->Height() - sy, dest->Height() - dy});
    if (w <= 0 || h <= 0) {
        return;
    }
    bool forceOpaque = false;
    const Rule rule = RuleFor(mode, &forceOpaque);
    const int n = static_cast<int>(w);
    if (rule == Rule::Copy && k >= kFullWeight && dx == 0 && sx == 0 && n == dest->Width() &&
        n == src->Width() && dest->RowSpan() == src->RowSpan()) {
        // Whole rows of equal span: one block (the padding after each row
        // but the last comes along).
        const size_t pixels = static_cast<size_t>(h - 1) * static_cast<size_t>(dest->RowSpan()) +
                              static_cast<size_t>(n);
        std::memmove(dest->Row(static_cast<int>(dy)), src->Row(static_cast<int>(sy)),
                     pixels * sizeof(PX_Pixel));
        return;
    }
    // Within one bitmap, a copy downwards runs bottom-up so no source row is
    // overwritten before it is read.
    const bool upwards = dest == src && dy > sy;
    for (int64_t i = 0; i < h; ++i) {
        const int64_t row = upwards ? h - 1 - i : i;
        PX_Pixel* d = dest->Row(static_cast<int>(dy + row)) + dx;
        const PX_Pixel* s = src->Row(static_cast<int>(sy + row)) + sx;
        CombineRow(d, s, n, rule, forceOpaque, k);
    }
}

namespace {

constexpr double kFixedOne = 65536.0; // 16.16 fixed point
constexpr int kFixedShift = 16;
constexpr int64_t kFixedHalf = 1 << (kFixedShift - 1);

// Per-byte mix of two pixels, w (0..256) towards b; red/blue and alpha/green
// are weighted as pairs in one multiplication each.
inline PX_Pixel Lerp(PX_Pixel a, PX_Pixel b, uint32_t w)
{
    constexpr uint32_t kPairMask = 0x00FF00FFu;
    const uint32_t keep = 256 - w;
    const uint32_t rb = (((a & kPairMask) * keep + (b & kPairMask) * w) >> 8) & kPairMask;
    const uint32_t ag = (((a >> 8) & kPairMask) * keep + ((b >> 8) & kPairMask) * w) & ~kPairMask;
    return rb | ag;
}

// Bilinear mix of four pixels with 8-bit weights fx, fy (0..255).
inline PX_Pixel Bilinear(PX_Pixel p00, PX_Pixel p10, PX_Pixel p01, PX_Pixel p11, uint32_t fx,
                         uint32_t fy)
{
    return Lerp(Lerp(p00, p10, fx), Lerp(p01, p11, fx), fy);
}

} // namespace

void BlitRotated(PX_IBitmap* dest, const PX_IBitmap* src, int dstX, int dstY, int dstW, int dstH,
                 float srcX, float srcY, float srcW, float srcH, float angle, bool clipToSource,
                 float opacity, int mode, float centreOffsetX, float centreOffsetY)
{
    const int k = Weight(opacity);
    if (k == 0 || !HasPixels(dest) || !HasPixels(src) || dstW == 0 || dstH == 0 || srcW == 0.0f ||
        srcH == 0.0f || !std::isfinite(angle) || !std::isfinite(srcX) || !std::isfinite(srcY) ||
        !std::isfinite(srcW) || !std::isfinite(srcH) || !std::isfinite(centreOffsetX) ||
        !std::isfinite(centreOffsetY)) {
        return;
    }
    // Source steps per destination pixel; a negative destination size mirrors.
    const double xs = static_cast<double>(srcW) / dstW;
    const double ys = static_cast<double>(srcH) / dstH;
    const double c = std::cos(static_cast<double>(angle));
    const double sn = std::sin(static_cast<double>(angle));
    const double rightX = xs * c, rightY = -ys * sn; // one pixel right
    const double downX = xs * sn, downY = ys * c;    // one pixel down
    const int64_t boxW = std::abs(static_cast<int64_t>(dstW));
    const int64_t boxH = std::abs(static_cast<int64_t>(dstH));
    // The destination centre maps to the source centre plus the offsets;
    // positions are those of pixel centres.
    const double centreX = srcX + srcW / 2.0 + centreOffsetX;
    const double centreY = srcY + srcH / 2.0 + centreOffsetY;

    // Source limits, in whole pixels [lo, hi).
    int loX = 0, loY = 0, hiX = src->Width(), hiY = src->Height();
    if (clipToSource) {
        // Within the bitmap first, so every value converts to int.
        auto within = [](double v, int limit) {
            return static_cast<int>(std::clamp(v, 0.0, static_cast<double>(limit)));
        };
        const double x0 = srcX, x1 = static_cast<double>(srcX) + srcW;
        const double y0 = srcY, y1 = static_cast<double>(srcY) + srcH;
        loX = within(std::floor(std::min(x0, x1)), hiX);
        loY = within(std::floor(std::min(y0, y1)), hiY);
        hiX = within(std::ceil(std::max(x0, x1)), hiX);
        hiY = within(std::ceil(std::max(y0, y1)), hiY);
    }
    if (loX >= hiX || loY >= hiY) {
        return;
    }
    // Destination box limited to the bitmap.
    const int64_t x0 = std::max<int64_t>(dstX, 0);
    const int64_t y0 = std::max<int64_t>(dstY, 0);
    const int64_t x1 = std::min<int64_t>(static_cast<int64_t>(dstX) + boxW, dest->Width());
    const int64_t y1 = std::min<int64_t>(static_cast<int64_t>(dstY) + boxH, dest->Height());
    if (x0 >= x1 || y0 >= y1) {
        return;
    }
    bool forceOpaque = false;
    const Rule rule = RuleFor(mode, &forceOpaque);
    const PX_Pixel force = forceOpaque ? kOpaque : 0;
    const bool bilinear = (mode & kPxBilinear) != 0;
    const bool skipClear = rule == Rule::SourceAlpha || (rule == Rule::Add && !forceOpaque);
    const int64_t stepX = std::llround(rightX * kFixedOne);
    const int64_t stepY = std::llround(rightY * kFixedOne);
    const double limit = 1e9; // keeps fixed-point positions far from overflow
    const PX_Pixel* srcPixels = src->Pixels();
    const int64_t span = src->RowSpan();

    for (int64_t y = y0; y < y1; ++y) {
        const double v = (y - dstY) + 0.5 - boxH / 2.0;
        const double u = (x0 - dstX) + 0.5 - boxW / 2.0;
        const double startX = centreX + u * rightX + v * downX;
        const double startY = centreY + u * rightY + v * downY;
        if (std::fabs(startX) > limit || std::fabs(startY) > limit) {
            continue;
        }
        int64_t fx = std::llround(startX * kFixedOne);
        int64_t fy = std::llround(startY * kFixedOne);
        PX_Pixel* d = dest->Row(static_cast<int>(y));
        for (int64_t x = x0; x < x1; ++x, fx += stepX, fy += stepY) {
            const int64_t ix = fx >> kFixedShift;
            const int64_t iy = fy >> kFixedShift;
            if (ix < loX || ix >= hiX || iy < loY || iy >= hiY) {
                continue;
            }
            PX_Pixel s;
            if (bilinear) {
                // Neighbours around the position, taken from pixel centres;
                // at the limits the edge pixels repeat.
                const int64_t px = fx - kFixedHalf;
                const int64_t py = fy - kFixedHalf;
                int64_t ax = px >> kFixedShift;
                int64_t ay = py >> kFixedShift;
                uint32_t wx = static_cast<uint32_t>((px >> 8) & 0xFF);
                uint32_t wy = static_cast<uint32_t>((py >> 8) & 0xFF);
                int64_t bx = ax + 1;
                int64_t by = ay + 1;
                if (ax < loX || bx >= hiX || ay < loY || by >= hiY) {
                    if (ax < loX) {
                        ax = loX;
                        wx = 0;
                    }
                    if (ay < loY) {
                        ay = loY;
                        wy = 0;
                    }
                    bx = std::min<int64_t>(ax + 1, hiX - 1);
                    by = std::min<int64_t>(ay + 1, hiY - 1);
                }
                const PX_Pixel* rowA = srcPixels + ay * span;
                const PX_Pixel* rowB = srcPixels + by * span;
                const PX_Pixel p00 = rowA[ax], p10 = rowA[bx], p01 = rowB[ax], p11 = rowB[bx];
                if (skipClear && ((p00 | p10 | p01 | p11) >> 24) == 0) {
                    continue; // all four clear: the source-alpha rules leave the pixel
                }
                s = Bilinear(p00, p10, p01, p11, wx, wy);
            } else {
                s = srcPixels[iy * span + ix];
            }
            d[x] = Combine(rule, d[x], s | force, k);
        }
    }
}

} // namespace toneloom
