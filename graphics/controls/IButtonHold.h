// A momentary button ("LFO's Sync"): its parameter is 1 exactly from the
// press to the release, and its picture is drawn only while it is held.
//
// Threads: [UI thread], except what IControl says.
#pragma once

#include "IControl.h"

namespace toneloom {

class IButtonHold : public IControl
{
public:
    // Box: (x, y) and one frame's size of `image` (frames stacked vertically).
    IButtonHold(IEffectBase* plug, int paramIndex, int x, int y, const IImage& image);

    // A left press sends 1 (a right press re-sends the value as it is).
    void HandlePress(int x, int y, const IMouseKeys& keys) override;
    // Sends 0, wherever the pointer is released.
    void HandleRelease(int x, int y, const IMouseKeys& keys) override;
    void HandleWheel(int x, int y, const IMouseKeys& keys, int steps) override;
    bool Render(IGraphics& graphics) override;

private:
    IImage image;
};

} // namespace toneloom
