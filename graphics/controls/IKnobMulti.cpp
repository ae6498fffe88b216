#include "IKnobMulti.h"

#include "IGraphics.h"

#include <algorithm>
#include <cmath>

namespace toneloom {

namespace {

constexpr int kValueTextSize = 80; // a formatted value and a label of 31 characters each

} // namespace

IKnobMulti::IKnobMulti(IEffectBase* plugin, int parameter, int x, int y, const IImage& picture,
                       const ITextStyle& style, int gap, int range, double travelGearing, int width,
                       int dragDirection)
    : IKnobControl(plugin, parameter, x, y, picture, style, gap, range, travelGearing, width,
                   dragDirection, false)
{
}

int IKnobMulti::FrameForValue() const
{
    const int frames = std::max(image.frames, 1);
    const int frame = static_cast<int>(std::lround((frames - 1) * Value())) + 1;
    return std::clamp(frame, 1, frames);
}

bool IKnobMulti::Render(IGraphics& graphics)
{
    char text[kValueTextSize];
    FormatParamValue(text, sizeof text, true);
    if (text[0] != '\0' && textStyle.size > 0) {
        textStyle.align = kAlignCenter;
        graphics.DrawTextIn(textStyle, text,
                            IBox{box.left, box.bottom - textStyle.size, box.right, box.bottom});
    }

    const int frames = std::max(image.frames, 1);
    const float halfFrame = static_cast<float>(image.width) / static_cast<float>(frames) / 2.0f;
    const IBox dest{static_cast<int>(std::lround(static_cast<float>(centreX) - halfFrame)), box.top,
                    static_cast<int>(std::lround(static_cast<float>(centreX) + halfFrame)),
                    box.bottom - textGap - textStyle.size};
    return graphics.BlitImageFrame(image, dest, FrameForValue(), &blend, false);
}

} // namespace toneloom
