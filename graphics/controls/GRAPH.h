// An LFO's position marker: a 6 x 2 pixel bar that travels 195 pixels along
// the bottom edge of its LFO panel while the LFO drives its target, or a red
// bar at the left end while LFO 2 is idle because LFO 1 already drives the
// same target. It reads the engine's marker state without a lock (the state's
// fields are relaxed atomics) and redraws at every editor refresh.
//
// Threads: [UI thread]; the marker state is written by the engine.
#pragma once

#include "IControl.h"
#include "ToneloomEditorSeam.h"

namespace toneloom {

class GRAPH : public IControl
{
public:
    static constexpr int kTop = 408;       // pixels, the panels' bottom edge
    static constexpr int kWidth = 201;     // pixels
    static constexpr int kHeight = 2;      // pixels
    static constexpr int kMarkerWidth = 6; // pixels
    static constexpr int kTravel = 195;    // pixels, from one end of the range to the other

    // Box (left, kTop, left + kWidth, kTop + kHeight), no parameter. `state`
    // is owned by the engine and must outlive the control; null draws nothing.
    GRAPH(IEffectBase* plug, int left, const LfoMarkerState* state);

    bool Render(IGraphics& graphics) override;
    // Always true: the marker follows the LFO at every refresh.
    bool NeedsRedraw() override;

    // Pixels from the box's left to the marker for a position within
    // [low, high]: 0 .. kTravel, 0 for an empty or unreadable range.
    static int MarkerOffset(float position, float low, float high);

private:
    const LfoMarkerState* state; // not owned
};

} // namespace toneloom
