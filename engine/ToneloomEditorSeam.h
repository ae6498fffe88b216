// What the engine shows in editor controls that are not bound to a parameter:
// the two LFO position markers and the brainwave band label. The engine owns
// the marker states and keeps them up to date whether or not an editor
// exists; an editor reads them when it draws and may register a sink for the
// band text.
#pragma once

#include <atomic>

namespace toneloom {

// One LFO's marker. Written by the engine with the instance mutex held (on
// the audio thread while rendering); read by the editor without a lock, so
// every field is a relaxed atomic. The values are in the units of the LFO's
// target: radians per sample for "Base Freq" and "Binaural", -1..1 for
// "Binaural Pan", linear gain for "Volume".
struct LfoMarkerState
{
    std::atomic<float> position{0.0f}; // the LFO's current output
    std::atomic<float> low{0.0f};      // lower end of the target's range
    std::atomic<float> high{0.0f};     // upper end of the target's range
    std::atomic<bool> active{false};   // the LFO is driving its target
    std::atomic<bool> conflict{false}; // LFO 2 only: same target as LFO 1, so idle
};

// Receives the band label's text. The editor's text control implements it.
class IBandLabelSink
{
public:
    virtual ~IBandLabelSink() = default;
    // [any thread, instance mutex held] `text` is terminated and stays valid
    // only for the call.
    virtual void TakeEditedText(const char* text) = 0;
};

} // namespace toneloom
