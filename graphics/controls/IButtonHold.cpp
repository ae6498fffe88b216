#include "IButtonHold.h"

#include "IGraphics.h"

namespace toneloom {

namespace {

constexpr double kHeldThreshold = 0.5; // values above it draw the held face

} // namespace

IButtonHold::IButtonHold(IEffectBase* plugin, int parameter, int x, int y, const IImage& picture)
    : IControl(plugin,
               IBox{x, y, x + picture.width,
                    y + picture.height / (picture.frames > 0 ? picture.frames : 1)},
               parameter),
      image(picture)
{
}

void IButtonHold::HandlePress(int, int, const IMouseKeys& keys)
{
    if (!keys.right) {
        StoreValue(1.0);
    }
    MarkDirty(true);
}

void IButtonHold::HandleRelease(int, int, const IMouseKeys&)
{
    StoreValue(0.0);
    MarkDirty(true);
}

void IButtonHold::HandleWheel(int, int, const IMouseKeys&, int) {}

bool IButtonHold::Render(IGraphics& graphics)
{
    if (Value() <= kHeldThreshold) {
        return true;
    }
    return graphics.BlitImageFrame(image, box, 1, nullptr, true);
}

} // namespace toneloom
