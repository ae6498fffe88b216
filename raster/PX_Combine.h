// Per-pixel combine rules shared by the blits, fills, lines and text. Internal
// to the raster layer.
//
// k is the integer weight trunc(opacity x 256), 0..256. All arithmetic is on
// 8-bit channels in ints; divisions truncate towards zero.
#pragma once

#include "PX_Types.h"

#include <cmath>

namespace toneloom::px {

constexpr int kFullWeight = 256;
constexpr uint32_t kHalfMask = 0x7F7F7F7Fu;    // each byte after >> 1
constexpr uint32_t kQuarterMask = 0x3F3F3F3Fu; // each byte after >> 2

// k for an opacity: 0 for opacity 0 or less (or NaN), 256 for 1 or more.
inline int Weight(float opacity)
{
    if (!(opacity > 0.0f)) {
        return 0;
    }
    if (opacity >= 1.0f) {
        return kFullWeight;
    }
    return static_cast<int>(opacity * 256.0f);
}

inline int Channel(PX_Pixel p, int shift)
{
    return static_cast<int>((p >> shift) & 0xFF);
}
inline int Sat(int v)
{
    return v > 255 ? 255 : v;
}

inline PX_Pixel Pack(int a, int r, int g, int b)
{
    return (static_cast<PX_Pixel>(a) << 24) | (static_cast<PX_Pixel>(r) << 16) |
           (static_cast<PX_Pixel>(g) << 8) | static_cast<PX_Pixel>(b);
}

// Per-byte shift forms.
inline PX_Pixel Half(PX_Pixel p)
{
    return (p >> 1) & kHalfMask;
}
inline PX_Pixel Quarter(PX_Pixel p)
{
    return (p >> 2) & kQuarterMask;
}
inline PX_Pixel Average(PX_Pixel d, PX_Pixel s)
{
    return Half(d) + Half(s);
}
inline PX_Pixel ThreeQuarters(PX_Pixel d, PX_Pixel s)
{
    return Half(s) + Quarter(s) + Quarter(d);
}
inline PX_Pixel OneQuarter(PX_Pixel d, PX_Pixel s)
{
    return Quarter(s) + Half(d) + Quarter(d);
}

// One channel of d moved towards s by weight w (0..256).
inline int Towards(int d, int s, int w)
{
    return d + (s - d) * w / kFullWeight;
}

// Plain copy at weight k: all four bytes towards the source.
inline PX_Pixel CopyK(PX_Pixel d, PX_Pixel s, int k)
{
    return Pack(Towards(Channel(d, 24), Channel(s, 24), k),
                Towards(Channel(d, 16), Channel(s, 16), k),
                Towards(Channel(d, 8), Channel(s, 8), k), Towards(Channel(d, 0), Channel(s, 0), k));
}

// Copy using the source's alpha at full opacity.
inline PX_Pixel SourceAlphaFull(PX_Pixel d, PX_Pixel s)
{
    const int a = Channel(s, 24);
    if (a == 0) {
        return d;
    }
    if (a == 255) {
        return s;
    }
    const int keep = 255 - a;
    auto mix = [keep](int dc, int sc) { return sc + (dc - sc) * keep / kFullWeight; };
    return Pack(Sat(Channel(d, 24) + a), mix(Channel(d, 16), Channel(s, 16)),
                mix(Channel(d, 8), Channel(s, 8)), mix(Channel(d, 0), Channel(s, 0)));
}

// Copy using the source's alpha at weight k < 256.
inline PX_Pixel SourceAlphaK(PX_Pixel d, PX_Pixel s, int k)
{
    const int a = Channel(s, 24);
    if (a == 0) {
        return d;
    }
    const int l = k * (a + 1) / kFullWeight;
    const int keep = kFullWeight - l;
    auto mix = [keep](int dc, int sc) { return sc + (dc - sc) * keep / kFullWeight; };
    return Pack(Sat(Channel(d, 24) + l), mix(Channel(d, 16), Channel(s, 16)),
                mix(Channel(d, 8), Channel(s, 8)), mix(Channel(d, 0), Channel(s, 0)));
}

// Add using the source's alpha at weight k.
inline PX_Pixel AddAlpha(PX_Pixel d, PX_Pixel s, int k)
{
    const int a = Channel(s, 24);
    if (a == 0) {
        return d;
    }
    const int l = k * (a + 1) / kFullWeight;
    auto add = [l](int dc, int sc) { return Sat(dc + l * sc / kFullWeight); };
    return Pack(Sat(Channel(d, 24) + a * l / kFullWeight), add(Channel(d, 16), Channel(s, 16)),
                add(Channel(d, 8), Channel(s, 8)), add(Channel(d, 0), Channel(s, 0)));
}

// Colour dodge of one channel by the weighted source value x.
inline int Dodge(int d, int x)
{
    if (x > 254) {
        return d == 0 ? 0 : 255;
    }
    return Sat(d * kFullWeight / (kFullWeight - x));
}

// Colour dodge using the source's alpha at weight k.
inline PX_Pixel DodgeAlpha(PX_Pixel d, PX_Pixel s, int k)
{
    const int a = Channel(s, 24);
    const int l = k * (a + 1) / kFullWeight;
    auto dodge = [l](int dc, int sc) { return Dodge(dc, l * sc / kFullWeight); };
    return Pack(Dodge(Channel(d, 24), a * l / kFullWeight), dodge(Channel(d, 16), Channel(s, 16)),
                dodge(Channel(d, 8), Channel(s, 8)), dodge(Channel(d, 0), Channel(s, 0)));
}

// The rule a mode code selects for blits (and for plotting a colour).
enum class Rule
{
    Copy,        // plain copy (k)
    SourceAlpha, // copy using source alpha (k)
    Add,         // add using source alpha (k)
    Dodge,       // colour dodge using source alpha (k)
};

// Add and dodge without kPxSourceAlpha treat every source pixel as opaque
// (forceOpaque); the rules this layer does not build (multiply, overlay,
// hue/saturation) copy.
inline Rule RuleFor(int mode, bool* forceOpaque)
{
    const bool sourceAlpha = (mode & kPxSourceAlpha) != 0;
    *forceOpaque = false;
    switch (mode & kPxModeMask) {
    case kPxAdd:
        *forceOpaque = !sourceAlpha;
        return Rule::Add;
    case kPxDodge:
        *forceOpaque = !sourceAlpha;
        return Rule::Dodge;
    default:
        return sourceAlpha ? Rule::SourceAlpha : Rule::Copy;
    }
}

// One pixel by rule at weight k (1..256).
inline PX_Pixel Combine(Rule rule, PX_Pixel d, PX_Pixel s, int k)
{
    switch (rule) {
    case Rule::Copy:
        return k >= kFullWeight ? s : CopyK(d, s, k);
    case Rule::SourceAlpha:
        return k >= kFullWeight ? SourceAlphaFull(d, s) : SourceAlphaK(d, s, k);
    case Rule::Add:
        return AddAlpha(d, s, k);
    case Rule::Dodge:
        return DodgeAlpha(d, s, k);
    }
    return d;
}

} // namespace toneloom::px
