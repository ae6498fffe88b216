#include "GRAPH.h"

#include "IGraphics.h"

#include <cmath>

namespace toneloom {

namespace {

const IRgba kMarkerColour(150, 255, 255, 255);
const IRgba kConflictColour(200, 255, 0, 0);

} // namespace

GRAPH::GRAPH(IEffectBase* plugin, int left, const LfoMarkerState* markerState)
    : IControl(plugin, IBox{left, kTop, left + kWidth, kTop + kHeight}), state(markerState)
{
}

int GRAPH::MarkerOffset(float position, float low, float high)
{
    const float offset = std::round((position - low) * static_cast<float>(kTravel) / (high - low));
    // A range not yet set (low == high), or a position beyond it, must not
    // throw the marker out of its track.
    if (!std::isfinite(offset) || offset <= 0.0f) {
        return 0;
    }
    return offset >= static_cast<float>(kTravel) ? kTravel : static_cast<int>(offset);
}

bool GRAPH::Render(IGraphics& graphics)
{
    if (state == nullptr) {
        return true;
    }
    if (state->active.load(std::memory_order_relaxed)) {
        const int offset = MarkerOffset(state->position.load(std::memory_order_relaxed),
                                        state->low.load(std::memory_order_relaxed),
                                        state->high.load(std::memory_order_relaxed));
        graphics.FillBox(kMarkerColour, IBox{box.left + offset, box.top,
                                             box.left + offset + kMarkerWidth, box.bottom});
    } else if (state->conflict.load(std::memory_order_relaxed)) {
        graphics.FillBox(kConflictColour,
                         IBox{box.left, box.top, box.left + kMarkerWidth, box.bottom});
    }
    return true;
}

bool GRAPH::NeedsRedraw()
{
    return true;
}

} // namespace toneloom
