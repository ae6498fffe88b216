// One frame of a multi-frame picture, chosen by the value: frame 1 at 0,
// frame n at 1. Also the editor's background.
#pragma once

#include "IControl.h"

namespace toneloom {

class IBitmapControl : public IControl
{
public:
    // Box: (x, y) and one frame's size. `framesVertical`: the picture's frames
    // are stacked top to bottom rather than side by side.
    IBitmapControl(IEffectBase* plug, int x, int y, int paramIndex, const IImage& image,
                   const IBlend& blend = IBlend(), bool framesVertical = true);

    bool Render(IGraphics& graphics) override;

    // The frame the value selects, counted from 1.
    int FrameForValue() const;
    const IImage& Image() const { return image; }

protected:
    bool vertical;
    IImage image;
};

} // namespace toneloom
