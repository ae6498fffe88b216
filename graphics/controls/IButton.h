// A two-state switch drawn as the first frame of its picture: hidden while
// off, shown while on, and lightened or darkened by `hoverWeight` while the
// pointer is over it. A left press toggles the bound parameter.
//
// Threads: [UI thread], except what IControl says.
#pragma once

#include "IControl.h"

namespace toneloom {

class IButton : public IControl
{
public:
    static constexpr double kOnThreshold = 0.5; // values above it count as on

    // Box: (x, y) and one frame's size of `image` (frames stacked vertically).
    IButton(IEffectBase* plug, int paramIndex, int x, int y, const IImage& image,
            float hoverWeight);

    // A left press toggles 0 <-> 1; any press re-sends the value.
    void HandlePress(int x, int y, const IMouseKeys& keys) override;
    // The wheel does not switch a button.
    void HandleWheel(int x, int y, const IMouseKeys& keys, int steps) override;
    void HandleHover(int x, int y, const IMouseKeys& keys) override;
    void HandleHoverEnd() override;
    // Off: nothing, or the picture at hoverWeight while hovered. On: the
    // picture at full weight, or at 1 - hoverWeight while hovered.
    bool Render(IGraphics& graphics) override;

    bool IsHovered() const { return hovered; }
    const IImage& Image() const { return image; }

protected:
    IImage image;
    float hoverWeight; // 0..1
    bool hovered = false;
};

} // namespace toneloom
