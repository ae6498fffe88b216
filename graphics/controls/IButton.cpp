#include "IButton.h"

#include "IGraphics.h"

namespace toneloom {

namespace {

IBox FrameBoxAt(int x, int y, const IImage& image)
{
    const int frames = image.frames > 0 ? image.frames : 1;
    return IBox{x, y, x + image.width, y + image.height / frames};
}

} // namespace

IButton::IButton(IEffectBase* plugin, int parameter, int x, int y, const IImage& picture,
                 float weightWhileHovered)
    : IControl(plugin, FrameBoxAt(x, y, picture), parameter), image(picture),
      hoverWeight(weightWhileHovered)
{
}

void IButton::HandlePress(int, int, const IMouseKeys& keys)
{
    if (!keys.right) {
        StoreValue(Value() <= kOnThreshold ? 1.0 : 0.0);
    }
    MarkDirty(true);
}

void IButton::HandleWheel(int, int, const IMouseKeys&, int) {}

void IButton::HandleHover(int, int, const IMouseKeys&)
{
    if (!hovered) {
        hovered = true;
        MarkDirty(false);
    }
}

void IButton::HandleHoverEnd()
{
    hovered = false;
    MarkDirty(false);
}

bool IButton::Render(IGraphics& graphics)
{
    const bool on = Value() > kOnThreshold;
    if (!on && !hovered) {
        return true;
    }
    if (on && !hovered) {
        return graphics.BlitImageFrame(image, box, 1, nullptr, true);
    }
    const IBlend weighted(kBlendDefault, on ? 1.0f - hoverWeight : hoverWeight);
    return graphics.BlitImageFrame(image, box, 1, &weighted, true);
}

} // namespace toneloom
