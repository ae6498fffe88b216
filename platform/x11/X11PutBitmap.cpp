#include "X11PutBitmap.h"

#include "PX_IBitmap.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <vector>

namespace toneloom {

namespace {

constexpr unsigned long kRedMask = 0xFF0000;
constexpr unsigned long kGreenMask = 0x00FF00;
constexpr unsigned long kBlueMask = 0x0000FF;
constexpr int kBitsPerPixel = 32;
constexpr int kBytesPerPixel = 4;

bool IsDirect(const Visual* visual, int depth)
{
    return (depth == 24 || depth == 32) && visual->red_mask == kRedMask &&
           visual->green_mask == kGreenMask && visual->blue_mask == kBlueMask;
}

// Which bit of a pixel value a mask starts at, and how many bits it has.
void MaskShape(unsigned long mask, int* shift, int* bits)
{
    *shift = 0;
    *bits = 0;
    if (mask == 0) {
        return;
    }
    while ((mask & 1) == 0) {
        mask >>= 1;
        ++*shift;
    }
    while ((mask & 1) != 0) {
        mask >>= 1;
        ++*bits;
    }
}

unsigned long ScaleChannel(uint32_t value8, unsigned long mask)
{
    int shift = 0;
    int bits = 0;
    MaskShape(mask, &shift, &bits);
    if (bits == 0) {
        return 0;
    }
    const unsigned long scaled = bits >= 8 ? value8 << (bits - 8) : value8 >> (8 - bits);
    return (scaled << shift) & mask;
}

} // namespace

bool X11PutBitmap(_XDisplay* display, unsigned long drawable, _XGC* gc, void* visualPtr, int depth,
                  const PX_IBitmap& bitmap, const IBox& area)
{
    auto* visual = static_cast<Visual*>(visualPtr);
    const IBox whole{0, 0, bitmap.Width(), bitmap.Height()};
    const IBox box = area.Intersect(whole);
    if (display == nullptr || visual == nullptr || bitmap.Pixels() == nullptr || box.IsEmpty()) {
        return false;
    }
    XImage* image = nullptr;
    std::vector<uint32_t> scratch;
    if (IsDirect(visual, depth)) {
        // The image header points into the bitmap: no copy.
        image = XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0,
                             reinterpret_cast<char*>(bitmap.Pixels()),
                             static_cast<unsigned>(bitmap.Width()),
                             static_cast<unsigned>(bitmap.Height()), kBitsPerPixel,
                             bitmap.RowSpan() * kBytesPerPixel);
        if (image == nullptr) {
            return false;
        }
        XPutImage(display, drawable, gc, image, box.left, box.top, box.left, box.top,
                  static_cast<unsigned>(box.Width()), static_cast<unsigned>(box.Height()));
    } else {
        // Rare visuals (16-bit, BGR): convert just the box.
        image = XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                             static_cast<unsigned>(box.Width()),
                             static_cast<unsigned>(box.Height()), kBitsPerPixel, 0);
        if (image == nullptr) {
            return false;
        }
        scratch.resize(
            static_cast<size_t>(image->bytes_per_line) * box.Height() / sizeof(uint32_t) + 1);
        image->data = reinterpret_cast<char*>(scratch.data());
        for (int y = 0; y < box.Height(); ++y) {
            const PX_Pixel* row = bitmap.Row(box.top + y) + box.left;
            for (int x = 0; x < box.Width(); ++x) {
                const uint32_t pixel = row[x];
                const unsigned long value = ScaleChannel((pixel >> 16) & 0xFF, visual->red_mask) |
                                            ScaleChannel((pixel >> 8) & 0xFF, visual->green_mask) |
                                            ScaleChannel(pixel & 0xFF, visual->blue_mask);
                XPutPixel(image, x, y, value);
            }
        }
        XPutImage(display, drawable, gc, image, 0, 0, box.left, box.top,
                  static_cast<unsigned>(box.Width()), static_cast<unsigned>(box.Height()));
    }
    image->data = nullptr; // not Xlib's to free
    XDestroyImage(image);
    return true;
}

} // namespace toneloom
