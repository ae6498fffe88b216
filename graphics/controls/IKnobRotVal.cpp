#include "IKnobRotVal.h"

#include "IGraphics.h"

#include <cmath>

namespace toneloom {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kValueTextSize = 80; // a formatted value and a label of 31 characters each

} // namespace

IKnobRotVal::IKnobRotVal(IEffectBase* plugin, int parameter, int x, int y, const IImage& picture,
                         const ITextStyle& style, int gap, int range, double travelGearing,
                         int width, int dragDirection, float dimming, bool withLabel, int steps)
    : IKnobControl(plugin, parameter, x, y, picture, style, gap, range, travelGearing, width,
                   dragDirection, true),
      snapSteps(static_cast<int16_t>(steps - 1)), hoverDimming(dimming), showLabel(withLabel)
{
}

void IKnobRotVal::HandleRelease(int, int, const IMouseKeys&)
{
    if (snapSteps > 0) {
        StoreValue(std::floor(snapSteps * Value() + 0.5) / snapSteps);
    }
    MarkDirty(true);
}

void IKnobRotVal::HandleHover(int, int, const IMouseKeys&)
{
    if (!hovered) {
        hovered = true;
        MarkDirty(false);
    }
}

void IKnobRotVal::HandleHoverEnd()
{
    hovered = false;
    MarkDirty(false);
}

double IKnobRotVal::AngleFor(double v) const
{
    // Half the range in radians, rounded to float as the drawing takes it.
    const float halfRange = static_cast<float>(rotationRange * kPi / 360.0);
    const float lowEnd = static_cast<float>(-rotationRange * kPi / 360.0);
    return static_cast<double>(halfRange) * (2.0 * v) + static_cast<double>(lowEnd);
}

bool IKnobRotVal::Render(IGraphics& graphics)
{
    drawBlend = IBlend(kBlendDefault, hovered ? 1.0f - hoverDimming : 1.0f);

    char text[kValueTextSize];
    FormatParamValue(text, sizeof text, showLabel);
    if (text[0] != '\0' && textStyle.size > 0) {
        textStyle.align = kAlignCenter;
        IBox textBox{box.left, box.bottom - textStyle.size, box.right, box.bottom};
        if (textGap < 0) {
            textBox.top += textGap;
            textBox.bottom += textGap;
        }
        graphics.DrawTextIn(textStyle, text, textBox);
    }

    // The source is offset by 0 at the centre of the travel and by -1 pixel on
    // both axes at either end.
    const double shown = Value();
    const double v = std::isfinite(shown) ? shown : 0.0;
    const float shift = -static_cast<float>(std::fabs(2.0 * v - 1.0));
    graphics.BlitImageRotated(image, centreX, centreY, AngleFor(v), &drawBlend, shift, shift);
    return true;
}

} // namespace toneloom
