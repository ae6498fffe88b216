#include "IBitmapControl.h"

#include "IGraphics.h"

#include <algorithm>

namespace toneloom {

IBitmapControl::IBitmapControl(IEffectBase* plug, int x, int y, int paramIndex,
                               const IImage& picture, const IBlend& drawBlend, bool framesVertical)
    : IControl(plug,
               IBox{x, y, x + picture.width,
                    y + (picture.frames > 0 ? picture.height / picture.frames : picture.height)},
               paramIndex),
      vertical(framesVertical), image(picture)
{
    blend = drawBlend;
}

int IBitmapControl::FrameForValue() const
{
    const int frames = image.frames;
    if (frames < 2) {
        return 1;
    }
    const int frame = static_cast<int>((frames - 1) * Value() + 0.5) + 1;
    return std::clamp(frame, 1, frames);
}

bool IBitmapControl::Render(IGraphics& graphics)
{
    return graphics.BlitImageFrame(image, box, FrameForValue(), &blend, vertical);
}

} // namespace toneloom
