// A knob drawn as one frame of a picture strip (frames side by side), chosen
// by the value: the wave selectors. The parameter's value and unit are
// centred below the picture.
//
// Threads: [UI thread], except what IControl says.
#pragma once

#include "IKnobControl.h"

namespace toneloom {

class IKnobMulti : public IKnobControl
{
public:
    // `width` 0 takes one frame's width; the box always has room for the text.
    IKnobMulti(IEffectBase* plug, int paramIndex, int centreX, int centreY, const IImage& image,
               const ITextStyle& textStyle, int textGap, int rotationRange, double gearing,
               int width, int direction);

    bool Render(IGraphics& graphics) override;

    // The frame the value selects, counted from 1.
    int FrameForValue() const;
};

} // namespace toneloom
