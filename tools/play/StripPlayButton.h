// The play/pause button of toneloom-play's strip: a two-frame picture (play
// symbol while paused, pause bars while playing) bound to the strip's
// playing parameter. A left press toggles it; the wheel does nothing, and a
// quick second press counts as a press, never as a reset to the default.
//
// Threads: [UI thread] only.
#pragma once

#include "IBitmapControl.h"

namespace toneloom {

class StripPlayButton : public IBitmapControl
{
public:
    // `image`: two frames stacked vertically, paused first.
    StripPlayButton(IEffectBase* plug, int x, int y, int paramIndex, const IImage& image);

    void HandlePress(int x, int y, const IMouseKeys& keys) override;
    void HandleWheel(int x, int y, const IMouseKeys& keys, int steps) override;
};

} // namespace toneloom
