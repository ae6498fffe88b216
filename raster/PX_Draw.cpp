// Fills, lines, arcs and sectors.
#include "PX_Draw.h"
#include "PX_Combine.h"

#include <algorithm>
#include <cmath>

namespace toneloom {

using namespace px;

namespace {

constexpr double kTwoPi = 6.283185307179586;
// Radians: pixels on a bounding radius belong to the shape even when the
// angle arrived rounded to float (about 5e-7 near 2 pi).
constexpr double kAngleTolerance = 1e-5;

bool HasPixels(const PX_IBitmap* bitmap)
{
    return bitmap != nullptr && bitmap->Pixels() != nullptr && bitmap->Width() > 0 &&
           bitmap->Height() > 0;
}

// How a colour is put down at one opacity: the per-byte shift forms for the
// four special opacities of the copy mode, otherwise the mode's rule.
class Plotter
{
public:
    Plotter(PX_IBitmap* bitmap, PX_Pixel colour, float opacity, int mode)
        : dest(bitmap), pixel(colour), k(Weight(opacity))
    {
        bool forceOpaque = false;
        rule = RuleFor(mode, &forceOpaque);
        if (forceOpaque) {
            pixel |= 0xFF000000u;
        }
        if (rule == Rule::Copy) {
            if (opacity == 1.0f) {
                form = Form::Store;
            } else if (opacity == 0.75f) {
                form = Form::ThreeQuarters;
            } else if (opacity == 0.5f) {
                form = Form::Half;
            } else if (opacity == 0.25f) {
                form = Form::Quarter;
            }
        }
    }

    bool Visible() const { return k > 0 && HasPixels(dest); }

    // Full weight.
    void Put(PX_Pixel& d) const
    {
        switch (form) {
        case Form::Store:
            d = pixel;
            return;
        case Form::ThreeQuarters:
            d = ThreeQuarters(d, pixel);
            return;
        case Form::Half:
            d = Average(d, pixel);
            return;
        case Form::Quarter:
            d = OneQuarter(d, pixel);
            return;
        case Form::Rule:
            d = Combine(rule, d, pixel, k);
            return;
        }
    }

    // At weight w (0..k): antialiased pixels. Full weight uses Put.
    void PutWeighted(PX_Pixel& d, int w) const
    {
        if (w >= k) {
            Put(d);
        } else if (w > 0) {
            d = Combine(rule, d, pixel, w);
        }
    }

    // Weighted by coverage 0..256.
    void PutCovered(PX_Pixel& d, int cover) const { PutWeighted(d, k * cover / kFullWeight); }

    void PutWeightedAt(int x, int y, int w) const
    {
        if (x >= 0 && y >= 0 && x < dest->Width() && y < dest->Height()) {
            PutWeighted(dest->Row(y)[x], w);
        }
    }

    PX_IBitmap* dest;
    PX_Pixel pixel;
    int k;
    Rule rule = Rule::Copy;
    enum class Form
    {
        Rule,
        Store,
        ThreeQuarters,
        Half,
        Quarter,
    } form = Form::Rule;
};

} // namespace

void FillArea(PX_IBitmap* dest, int x, int y, int width, int height, PX_Pixel pixel, float opacity,
              int mode)
{
    if ((mode & kPxSourceAlpha) != 0) {
        opacity = opacity * static_cast<float>(PX_Alpha(pixel)) / 255.0f;
        mode &= ~kPxSourceAlpha;
    }
    if (!(opacity > 0.0f) || !HasPixels(dest) || width <= 0 || height <= 0) {
        return;
    }
    int64_t x0 = x, y0 = y, x1 = static_cast<int64_t>(x) + width,
            y1 = static_cast<int64_t>(y) + height;
    x0 = std::max<int64_t>(x0, 0);
    y0 = std::max<int64_t>(y0, 0);
    x1 = std::min<int64_t>(x1, dest->Width());
    y1 = std::min<int64_t>(y1, dest->Height());
    if (x0 >= x1 || y0 >= y1) {
        return;
    }
    const int k = Weight(opacity);
    const int cr = Channel(pixel, 16), cg = Channel(pixel, 8), cb = Channel(pixel, 0);
    const bool add = (mode & kPxModeMask) == kPxAdd;
    if (add && k < 1) {
        return;
    }
    // Copy at the general opacities: precompute colour x (256 - k) terms.
    const int keep = kFullWeight - k;
    for (int64_t row = y0; row < y1; ++row) {
        PX_Pixel* d = dest->Row(static_cast<int>(row));
        if (add) {
            const int ar = cr * k / kFullWeight, ag = cg * k / kFullWeight,
                      ab = cb * k / kFullWeight, aa = k * k / kFullWeight;
            for (int64_t i = x0; i < x1; ++i) {
                const PX_Pixel p = d[i];
                d[i] = Pack(Sat(Channel(p, 24) + aa), Sat(Channel(p, 16) + ar),
                            Sat(Channel(p, 8) + ag), Sat(Channel(p, 0) + ab));
            }
        } else if (opacity >= 1.0f) {
            std::fill(d + x0, d + x1, pixel);
        } else if (opacity == 0.75f) {
            const PX_Pixel c = Half(pixel) + Quarter(pixel);
            for (int64_t i = x0; i < x1; ++i) {
                d[i] = c + Quarter(d[i]);
            }
        } else if (opacity == 0.5f) {
            const PX_Pixel c = Half(pixel);
            for (int64_t i = x0; i < x1; ++i) {
                d[i] = c + Half(d[i]);
            }
        } else if (opacity == 0.25f) {
            const PX_Pixel c = Quarter(pixel);
            for (int64_t i = x0; i < x1; ++i) {
                d[i] = c + Half(d[i]) + Quarter(d[i]);
            }
        } else {
            if (k < 1) {
                return;
            }
            // Colour channels move towards the colour, the alpha towards k.
            for (int64_t i = x0; i < x1; ++i) {
                const PX_Pixel p = d[i];
                d[i] = Pack(k + (Channel(p, 24) - k) * keep / kFullWeight,
                            cr + (Channel(p, 16) - cr) * keep / kFullWeight,
                            cg + (Channel(p, 8) - cg) * keep / kFullWeight,
                            cb + (Channel(p, 0) - cb) * keep / kFullWeight);
            }
        }
    }
}

namespace {

enum Outcode
{
    kLeft = 1,
    kRight = 2,
    kAbove = 4,
    kBelow = 8,
};
constexpr int kMaxClipPasses = 32;

template <class T> int CodeOf(T x, T y, T maxX, T maxY)
{
    int code = 0;
    if (x < 0) {
        code |= kLeft;
    } else if (x > maxX) {
        code |= kRight;
    }
    if (y < 0) {
        code |= kAbove;
    } else if (y > maxY) {
        code |= kBelow;
    }
    return code;
}

// Clips the segment to [0, maxX] x [0, maxY]; false when nothing is left.
// Integer ends are moved in 64-bit arithmetic, float ends in double.
template <class T> bool ClipSegment(T& x1, T& y1, T& x2, T& y2, T maxX, T maxY)
{
    int c1 = CodeOf(x1, y1, maxX, maxY);
    int c2 = CodeOf(x2, y2, maxX, maxY);
    for (int pass = 0; pass < kMaxClipPasses; ++pass) {
        if ((c1 | c2) == 0) {
            return true;
        }
        if ((c1 & c2) != 0) {
            return false;
        }
        const int out = c1 != 0 ? c1 : c2;
        T x = 0, y = 0;
        if (out & kBelow) {
            x = x1 + (x2 - x1) * (maxY - y1) / (y2 - y1);
            y = maxY;
        } else if (out & kAbove) {
            x = x1 + (x2 - x1) * (0 - y1) / (y2 - y1);
            y = 0;
        } else if (out & kRight) {
            y = y1 + (y2 - y1) * (maxX - x1) / (x2 - x1);
            x = maxX;
        } else {
            y = y1 + (y2 - y1) * (0 - x1) / (x2 - x1);
            x = 0;
        }
        if (out == c1) {
            x1 = x;
            y1 = y;
            c1 = CodeOf(x1, y1, maxX, maxY);
        } else {
            x2 = x;
            y2 = y;
            c2 = CodeOf(x2, y2, maxX, maxY);
        }
    }
    return false;
}

// Antialiased stepping along the major axis: the minor coordinate in 16.16
// fixed point, two pixels per step whose weights sum to the full weight.
void SteppedLine(const Plotter& plot, double x1, double y1, double x2, double y2)
{
    const double maxX = plot.dest->Width() - 1;
    const double maxY = plot.dest->Height() - 1;
    if (!ClipSegment(x1, y1, x2, y2, maxX, maxY)) {
        return;
    }
    const bool xMajor = std::fabs(x2 - x1) >= std::fabs(y2 - y1);
    double a1 = xMajor ? x1 : y1, b1 = xMajor ? y1 : x1;
    double a2 = xMajor ? x2 : y2, b2 = xMajor ? y2 : x2;
    if (a1 > a2) {
        std::swap(a1, a2);
        std::swap(b1, b2);
    }
    if (a2 == a1 && b1 == b2) {
        return; // zero length
    }
    const double slope = a2 > a1 ? (b2 - b1) / (a2 - a1) : 0.0;
    const int first = static_cast<int>(std::ceil(a1));
    const int last = static_cast<int>(std::floor(a2));
    const int64_t stepMinor = std::llround(slope * 65536.0);
    int64_t minor = std::llround((b1 + (first - a1) * slope) * 65536.0);
    for (int major = first; major <= last; ++major, minor += stepMinor) {
        const int whole = static_cast<int>(minor >> 16);
        const int frac = static_cast<int>(minor & 0xFFFF);
        const int upper = static_cast<int>((static_cast<int64_t>(plot.k) * (65536 - frac)) >> 16);
        const int lower = plot.k - upper; // the two weights sum to k
        if (xMajor) {
            plot.PutWeightedAt(major, whole, upper);
            plot.PutWeightedAt(major, whole + 1, lower);
        } else {
            plot.PutWeightedAt(whole, major, upper);
            plot.PutWeightedAt(whole + 1, major, lower);
        }
    }
}

} // namespace

void DrawLineInt(PX_IBitmap* dest, int x1, int y1, int x2, int y2, PX_Pixel pixel, float opacity,
                 int mode, bool antiAlias)
{
    const Plotter plot(dest, pixel, opacity, mode);
    if (!plot.Visible()) {
        return;
    }
    int64_t ax = x1, ay = y1, bx = x2, by = y2;
    if (!ClipSegment<int64_t>(ax, ay, bx, by, dest->Width() - 1, dest->Height() - 1)) {
        return;
    }
    if (ay == by) {
        PX_Pixel* row = dest->Row(static_cast<int>(ay));
        for (int64_t x = std::min(ax, bx); x <= std::max(ax, bx); ++x) {
            plot.Put(row[x]);
        }
        return;
    }
    if (ax == bx) {
        for (int64_t y = std::min(ay, by); y <= std::max(ay, by); ++y) {
            plot.Put(dest->Row(static_cast<int>(y))[ax]);
        }
        return;
    }
    if (antiAlias) {
        SteppedLine(plot, static_cast<double>(ax), static_cast<double>(ay), static_cast<double>(bx),
                    static_cast<double>(by));
        return;
    }
    // Bresenham along the major axis.
    const int64_t dx = std::abs(bx - ax), dy = std::abs(by - ay);
    const int64_t sx = ax < bx ? 1 : -1, sy = ay < by ? 1 : -1;
    int64_t error = (dx > dy ? dx : -dy) / 2;
    int64_t x = ax, y = ay;
    for (;;) {
        plot.Put(dest->Row(static_cast<int>(y))[x]);
        if (x == bx && y == by) {
            break;
        }
        const int64_t e = error;
        if (e > -dx) {
            error -= dy;
            x += sx;
        }
        if (e < dy) {
            error += dx;
            y += sy;
        }
    }
}

void DrawLineFloat(PX_IBitmap* dest, float x1, float y1, float x2, float y2, PX_Pixel pixel,
                   float opacity, int mode, bool antiAlias)
{
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2)) {
        return;
    }
    if (!antiAlias) {
        auto toInt = [](float v) {
            return static_cast<int>(std::clamp(v, -1.0e9f, 1.0e9f)); // truncation
        };
        DrawLineInt(dest, toInt(x1), toInt(y1), toInt(x2), toInt(y2), pixel, opacity, mode, false);
        return;
    }
    const Plotter plot(dest, pixel, opacity, mode);
    if (!plot.Visible() || (x1 == x2 && y1 == y2)) {
        return;
    }
    SteppedLine(plot, x1, y1, x2, y2);
}

namespace {

// Normalised angle span: start in radians and a span >= 0; full when the
// span reaches 2 pi.
struct Span
{
    double start = 0.0;
    double length = 0.0;
    bool full = false;

    bool Contains(double t) const
    {
        if (full) {
            return true;
        }
        double u = std::fmod(t - start, kTwoPi);
        if (u < 0.0) {
            u += kTwoPi;
        }
        return u <= length + kAngleTolerance || u >= kTwoPi - kAngleTolerance;
    }
};

bool MakeSpan(double a1, double a2, Span* span)
{
    if (!std::isfinite(a1) || !std::isfinite(a2)) {
        return false;
    }
    if (a2 < a1) {
        std::swap(a1, a2);
    }
    if (a2 - a1 >= kTwoPi) {
        span->full = true;
        return true;
    }
    // Reduce by the floating remainder with 2 pi; the other angle shifts along.
    if (a1 >= kTwoPi || a1 <= -kTwoPi) {
        const double reduced = std::fmod(a1, kTwoPi);
        a2 -= a1 - reduced;
        a1 = reduced;
    }
    if (a2 >= kTwoPi || a2 <= -kTwoPi) {
        const double reduced = std::fmod(a2, kTwoPi);
        a1 -= a2 - reduced;
        a2 = reduced;
    }
    span->start = a1;
    span->length = a2 - a1;
    return true;
}

// Visits the pixels around (cx, cy) within radius + 1 with their distance
// and clockwise-from-twelve angle.
template <class Visit>
void AroundCentre(PX_IBitmap* dest, double cx, double cy, double radius, Visit visit)
{
    const double reach = radius + 1.0;
    const int x0 = static_cast<int>(std::max(0.0, std::floor(cx - reach)));
    const int y0 = static_cast<int>(std::max(0.0, std::floor(cy - reach)));
    const int x1 = static_cast<int>(std::min<double>(dest->Width() - 1, std::ceil(cx + reach)));
    const int y1 = static_cast<int>(std::min<double>(dest->Height() - 1, std::ceil(cy + reach)));
    for (int y = y0; y <= y1; ++y) {
        PX_Pixel* row = dest->Row(y);
        for (int x = x0; x <= x1; ++x) {
            const double dx = x - cx, dy = y - cy;
            visit(row[x], std::sqrt(dx * dx + dy * dy), std::atan2(dx, -dy));
        }
    }
}

bool RoundShapeUsable(const Plotter& plot, float cx, float cy, float radius)
{
    constexpr float kMaxCoordinate = 1.0e6f;
    return plot.Visible() && std::isfinite(cx) && std::isfinite(cy) && std::isfinite(radius) &&
           radius >= 0.0f && std::fabs(cx) < kMaxCoordinate && std::fabs(cy) < kMaxCoordinate &&
           radius < kMaxCoordinate;
}

} // namespace

void DrawArc(PX_IBitmap* dest, float cx, float cy, float radius, float angle1, float angle2,
             PX_Pixel pixel, float opacity, int mode, bool antiAlias)
{
    const Plotter plot(dest, pixel, opacity, mode);
    Span span;
    if (!RoundShapeUsable(plot, cx, cy, radius) || !MakeSpan(angle1, angle2, &span)) {
        return;
    }
    // A ring one pixel wide centred on the radius.
    AroundCentre(dest, cx, cy, radius, [&](PX_Pixel& d, double distance, double angle) {
        const double off = std::fabs(distance - radius);
        if (off >= (antiAlias ? 1.0 : 0.5) || !span.Contains(angle)) {
            return;
        }
        if (antiAlias) {
            plot.PutCovered(d, static_cast<int>((1.0 - off) * kFullWeight));
        } else {
            plot.Put(d);
        }
    });
}

void FillSector(PX_IBitmap* dest, float cx, float cy, float radius, float angle1, float angle2,
                PX_Pixel pixel, float opacity, int mode, bool antiAlias)
{
    const Plotter plot(dest, pixel, opacity, mode);
    Span span;
    if (!RoundShapeUsable(plot, cx, cy, radius) || !MakeSpan(angle1, angle2, &span)) {
        return;
    }
    const double edge = radius + 0.5; // pixels whose centre lies inside are covered
    AroundCentre(dest, cx, cy, radius, [&](PX_Pixel& d, double distance, double angle) {
        if (distance > 0.0 && !span.Contains(angle)) {
            return;
        }
        if (!antiAlias) {
            if (distance < edge) {
                plot.Put(d);
            }
            return;
        }
        // Share of a one-pixel square cut by the edge, along the radius.
        const double cover = std::clamp(edge + 0.5 - distance, 0.0, 1.0);
        plot.PutCovered(d, static_cast<int>(cover * kFullWeight));
    });
}

} // namespace toneloom
