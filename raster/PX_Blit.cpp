// Rectangle and rotated copies.
#include "PX_Combine.h"
#include "PX_Draw.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace toneloom {

using namespace px;

namespace {

constexpr PX_Pixel kOpaque = 0xFF000000u;

bool HasPixels(const PX_IBitmap* bitmap)
{
    return bitmap != nullptr && bitmap->Pixels() != nullptr && bitmap->Width() > 0 &&
           bitmap->Height() > 0;
}

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
            for (int i = 0; i < n; ++i) {
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
    for (int64_t row = 0; row < h; ++row) {
        PX_Pixel* d = dest->Row(static_cast<int>(dy + row)) + dx;
        const PX_Pixel* s = src->Row(static_cast<int>(sy + row)) + sx;
        CombineRow(d, s, n, rule, forceOpaque, k);
    }
}

namespace {

constexpr double kFixedOne = 65536.0; // 16.16 fixed point
constexpr int kFixedShift = 16;
constexpr int64_t kFixedHalf = 1 << (kFixedShift - 1);

// Bilinear mix of four pixels with 8-bit weights fx, fy (0..255).
PX_Pixel Bilinear(PX_Pixel p00, PX_Pixel p10, PX_Pixel p01, PX_Pixel p11, int fx, int fy)
{
    const int w00 = (256 - fx) * (256 - fy);
    const int w10 = fx * (256 - fy);
    const int w01 = (256 - fx) * fy;
    const int w11 = fx * fy;
    PX_Pixel out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const int v = (Channel(p00, shift) * w00 + Channel(p10, shift) * w10 +
                       Channel(p01, shift) * w01 + Channel(p11, shift) * w11) >>
                      16;
        out |= static_cast<PX_Pixel>(v) << shift;
    }
    return out;
}

} // namespace

void BlitRotated(PX_IBitmap* dest, const PX_IBitmap* src, int dstX, int dstY, int dstW, int dstH,
                 float srcX, float srcY, float srcW, float srcH, float angle, bool clipToSource,
                 float opacity, int mode, float centreOffsetX, float centreOffsetY)
{
    const int k = Weight(opacity);
    if (k == 0 || !HasPixels(dest) || !HasPixels(src) || dstW == 0 || dstH == 0 ||
        !std::isfinite(angle) || !std::isfinite(srcX) || !std::isfinite(srcY) ||
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
        loX = std::max(loX, static_cast<int>(std::floor(std::min(srcX, srcX + srcW))));
        loY = std::max(loY, static_cast<int>(std::floor(std::min(srcY, srcY + srcH))));
        hiX = std::min(hiX, static_cast<int>(std::ceil(std::max(srcX, srcX + srcW))));
        hiY = std::min(hiY, static_cast<int>(std::ceil(std::max(srcY, srcY + srcH))));
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
                // Neighbours around the position, taken from pixel centres.
                const int64_t px = fx - kFixedHalf;
                const int64_t py = fy - kFixedHalf;
                const int64_t ax = std::clamp<int64_t>(px >> kFixedShift, loX, hiX - 1);
                const int64_t ay = std::clamp<int64_t>(py >> kFixedShift, loY, hiY - 1);
                const int64_t bx = std::min<int64_t>(ax + 1, hiX - 1);
                const int64_t by = std::min<int64_t>(ay + 1, hiY - 1);
                const int wx = px < static_cast<int64_t>(loX) << kFixedShift
                                   ? 0
                                   : static_cast<int>((px >> 8) & 0xFF);
                const int wy = py < static_cast<int64_t>(loY) << kFixedShift
                                   ? 0
                                   : static_cast<int>((py >> 8) & 0xFF);
                const PX_Pixel* rowA = srcPixels + ay * span;
                const PX_Pixel* rowB = srcPixels + by * span;
                s = Bilinear(rowA[ax], rowA[bx], rowB[ax], rowB[bx], wx, wy);
            } else {
                s = srcPixels[iy * span + ix];
            }
            d[x] = Combine(rule, d[x], s | force, k);
        }
    }
}

} // namespace toneloom
