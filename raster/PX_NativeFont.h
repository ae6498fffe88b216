// The platform's font service: creation of native fonts for PX_CachedFont.
// Windows: GDI fonts (CreateFontA). Linux and headless: FreeType faces found
// through fontconfig ("Arial" resolves to Liberation Sans, "Verdana" to
// DejaVu Sans), sized like GDI's cell height.
#pragma once

#include "PX_Types.h"

namespace toneloom {

// Rendering quality of a native font.
constexpr int kPxQualityDefault = 0;        // the system default
constexpr int kPxQualityNonAntiAliased = 1; // bi-level glyphs
constexpr int kPxQualityAntiAliased = 2;
constexpr int kPxQualityClearType = 3; // Windows only; antialiased elsewhere

struct PX_FontSpec
{
    const char* face = "Arial"; // family name, at most 31 characters used
    int height = 14;            // cell height in pixels (ascent + descent)
    int width = 0;              // average character width; 0 = the natural width
    int escapement = 0;         // tenths of a degree (GDI only)
    int orientation = 0;        // tenths of a degree (GDI only)
    int weight = 400;           // 400 normal, 700 bold
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int quality = kPxQualityDefault;
};

// A new native font, or null when none can be made. The caller owns it and
// frees it with PX_DeleteNativeFont (or hands it to a PX_CachedFont with
// kPxFontOwnsNative).
PX_NativeFont PX_CreateNativeFont(const PX_FontSpec& fontSpec);
void PX_DeleteNativeFont(PX_NativeFont font);

} // namespace toneloom
