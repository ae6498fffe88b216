// The LFO sync switch: an IButton that also raises a flag in the plug-in just
// before its value goes out, so that the change handler knows the change came
// from a click in the editor (and keeps the LFO's speed), not from automation.
//
// Threads: [UI thread]. The flag is a relaxed atomic that the change handler
// reads and clears with the instance mutex held.
#pragma once

#include "IButton.h"

#include <atomic>

namespace toneloom {

class IButtonClick : public IButton
{
public:
    IButtonClick(IEffectBase* plug, int paramIndex, int x, int y, const IImage& image,
                 float hoverWeight);

    // `flag` is owned by the plug-in and must outlive the control; null: none.
    void SetClickFlag(std::atomic<bool>* flag) { clickFlag = flag; }

    // Toggles like IButton (a right press keeps the value), raises the flag
    // for either button, then sends the value.
    void HandlePress(int x, int y, const IMouseKeys& keys) override;

private:
    std::atomic<bool>* clickFlag = nullptr; // not owned
};

} // namespace toneloom
