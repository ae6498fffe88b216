// Where a single line of text of a known size goes in a text box, and the
// rectangle it may draw in: shared by both text paths so that cached and
// platform-drawn text land on the same pixels.
#pragma once

#include "PX_IBitmap.h"
#include "PX_IFont.h"

#include <algorithm>

namespace toneloom {

struct PX_TextPlacement
{
    int x = 0;    // left edge of the line, pixels
    int y = 0;    // top edge of the line, pixels
    PX_Rect clip; // drawing stays inside, right and bottom exclusive
};

// A `width` x `height` line in `box`, aligned by the DrawText `flags`, clipped
// to `bitmap` and (without kPxTextNoClip) to the box.
inline PX_TextPlacement PX_PlaceText(const PX_IBitmap& bitmap, const PX_Rect& box, int flags,
                                     int width, int height)
{
    PX_TextPlacement place;
    place.x = box.left;
    if ((flags & kPxTextRight) != 0) {
        place.x = box.right - width;
    } else if ((flags & kPxTextCenter) != 0) {
        place.x = box.left + (box.right - box.left - width) / 2;
    }
    place.y = box.top;
    if ((flags & kPxTextBottom) != 0) {
        place.y = box.bottom - height;
    } else if ((flags & kPxTextVCenter) != 0) {
        place.y = box.top + (box.bottom - box.top - height) / 2;
    }
    place.clip = PX_Rect{0, 0, bitmap.Width(), bitmap.Height()};
    if ((flags & kPxTextNoClip) == 0) {
        place.clip.left = std::max(place.clip.left, box.left);
        place.clip.top = std::max(place.clip.top, box.top);
        place.clip.right = std::min(place.clip.right, box.right);
        place.clip.bottom = std::min(place.clip.bottom, box.bottom);
    }
    return place;
}

} // namespace toneloom
