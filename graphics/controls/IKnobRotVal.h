// A rotating knob: a pointer picture turned from -range/2 degrees at value 0
// through upright at 0.5 to +range/2 at 1, drawn over the knob body of the
// background, with the parameter's value and unit ("200.0Hz", "90%") centred
// below it. The picture is dimmed by `hoverDimming` while the pointer is over
// the knob; a release can snap the value to `steps` positions.
//
// Threads: [UI thread], except what IControl says.
#pragma once

#include "IKnobControl.h"

#include <cstdint>

namespace toneloom {

class IKnobRotVal : public IKnobControl
{
public:
    // `width` 0 takes the picture's width. `steps` below 2 means no snapping.
    IKnobRotVal(IEffectBase* plug, int paramIndex, int centreX, int centreY, const IImage& image,
                const ITextStyle& textStyle, int textGap, int rotationRange, double gearing,
                int width, int direction, float hoverDimming, bool showLabel, int steps);

    // Snaps the value when snapping is on, then sends it.
    void HandleRelease(int x, int y, const IMouseKeys& keys) override;
    void HandleHover(int x, int y, const IMouseKeys& keys) override;
    void HandleHoverEnd() override;
    bool Render(IGraphics& graphics) override;

    // Radians the picture is turned by at normalised `v`; clockwise positive.
    double AngleFor(double v) const;
    bool IsHovered() const { return hovered; }

private:
    int16_t snapSteps;  // positions minus one; below 1: no snapping
    float hoverDimming; // weight taken off the picture while hovered
    bool showLabel;     // the unit label follows the value text
    bool hovered = false;
    IBlend drawBlend; // the picture's blend, by hover
};

} // namespace toneloom
