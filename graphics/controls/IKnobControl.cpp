#include "IKnobControl.h"

#include "IEffectBase.h"
#include "IParamRecord.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace toneloom {

namespace {

int RoundHalfAway(float value)
{
    return static_cast<int>(std::lround(value));
}

IBox KnobBox(int x, int y, const IImage& image, const ITextStyle& style, int textGap, int width,
             bool roomOnlyForPositiveGap)
{
    const int frames = image.frames > 0 ? image.frames : 1;
    const int halfWidth =
        width != 0
            ? width / 2
            : RoundHalfAway(static_cast<float>(image.width) / static_cast<float>(frames) * 0.5f);
    const int halfHeight = RoundHalfAway(static_cast<float>(image.height) * 0.5f);
    int bottom = y + halfHeight;
    if (textGap >= 0 || !roomOnlyForPositiveGap) {
        bottom += style.size + textGap;
    }
    return IBox{x - halfWidth, y - halfHeight, x + halfWidth, bottom};
}

} // namespace

IKnobControl::IKnobControl(IEffectBase* plugin, int parameter, int x, int y, const IImage& picture,
                           const ITextStyle& style, int gap, int range, double travelGearing,
                           int width, int dragDirection, bool roomOnlyForPositiveGap)
    : IControl(plugin, KnobBox(x, y, picture, style, gap, width, roomOnlyForPositiveGap),
               parameter),
      direction(dragDirection),
      // A gearing of 0 (or worse) would make every drag an infinite step.
      gearing(std::isfinite(travelGearing) && travelGearing > 0.0 ? travelGearing : 1.0),
      textStyle(style), image(picture), centreX(x), centreY(y), textGap(gap), rotationRange(range)
{
}

void IKnobControl::HandleDrag(int, int, int dx, int dy, const IMouseKeys& keys)
{
    double g = gearing;
    if (keys.ctrl || keys.shift) {
        g *= kFineGearing;
    }
    if (direction == 0) {
        const int span = box.top - box.bottom; // negative: dragging up raises the value
        if (span == 0) {
            return;
        }
        StoreValue(Value() + dy / static_cast<double>(span) / g);
    } else {
        const int span = box.right - box.left;
        if (span == 0) {
            return;
        }
        StoreValue(Value() + dx / static_cast<double>(span) / g);
    }
    MarkDirty(true);
}

void IKnobControl::FormatParamValue(char* text, int capacity, bool withLabel) const
{
    text[0] = '\0';
    IParamRecord* param = plug != nullptr && paramIndex >= 0 ? plug->ParamAt(paramIndex) : nullptr;
    if (param == nullptr || capacity <= 0) {
        return;
    }
    std::lock_guard<std::recursive_mutex> lock(plug->Mutex());
    param->FormatValue(param->Value(), false, text, static_cast<size_t>(capacity));
    if (withLabel && text[0] != '\0') {
        const size_t used = std::strlen(text);
        std::snprintf(text + used, static_cast<size_t>(capacity) - used, "%s", param->Label());
    }
}

} // namespace toneloom
