// Shared types and codes of the raster layer.
//
// A pixel is one 32-bit value alpha<<24 | red<<16 | green<<8 | blue, so its
// bytes in memory are blue, green, red, alpha. Colour and alpha are straight
// (not premultiplied). Coordinates and sizes are in pixels; angles are in
// radians, measured clockwise from twelve o'clock.
#pragma once

#include <cstdint>

namespace toneloom {

using PX_Pixel = uint32_t;

// Native handles, opaque to callers: HDC, HFONT and HMODULE on Windows. On
// Linux and headless a PX_NativeFont is the FreeType font service's own
// object, PX_NativeContext is always null and PX_Module is ignored.
using PX_NativeContext = void*;
using PX_NativeFont = void*;
using PX_Module = void*;

// Integer rectangle, right and bottom exclusive (the layout of a Windows RECT).
struct PX_Rect
{
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// Mode codes, passed to every drawing operation. The low byte selects the
// combine rule; the flags above it modify it.
constexpr int kPxCopy = 0;  // move towards the source / colour
constexpr int kPxAdd = 1;   // add, saturating
constexpr int kPxDodge = 2; // colour dodge
// Not built (the editor never asks for them): these combine as kPxCopy, or
// with kPxSourceAlpha as the source-alpha copy.
constexpr int kPxMultiply = 3;
constexpr int kPxOverlay = 4;
constexpr int kPxHueSat = 5;
constexpr int kPxModeMask = 0xFF;
constexpr int kPxBilinear = 0x100;      // rotated copies: interpolate four neighbours
constexpr int kPxSourceAlpha = 0x10000; // weight each source pixel by its own alpha

// Channel helpers.
constexpr uint32_t PX_Alpha(PX_Pixel p)
{
    return p >> 24;
}
constexpr uint32_t PX_Red(PX_Pixel p)
{
    return (p >> 16) & 0xFF;
}
constexpr uint32_t PX_Green(PX_Pixel p)
{
    return (p >> 8) & 0xFF;
}
constexpr uint32_t PX_Blue(PX_Pixel p)
{
    return p & 0xFF;
}
constexpr PX_Pixel PX_MakePixel(uint32_t a, uint32_t r, uint32_t g, uint32_t b)
{
    return (a << 24) | (r << 16) | (g << 8) | b;
}

} // namespace toneloom
