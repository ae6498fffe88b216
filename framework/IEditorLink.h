// What the plug-in base and the product ask of an attached editor. The
// editor (IGraphics) implements it; without an editor nothing is called.
#pragma once

namespace toneloom {

class IEditorLink
{
public:
    virtual ~IEditorLink() = default;

    // [any thread, instance mutex held where the caller says so]
    // Sets every control bound to `paramIndex`; `value` is normalised when
    // `isNormalised`, else a plain value.
    virtual void PushParamToControls(int paramIndex, double value, bool isNormalised) = 0;
    // Every control bound to `paramIndex` takes the normalised value as if the
    // user had set it, and passes it on through SetParamFromEditor.
    virtual void PushUserValueToControls(int paramIndex, double normalised) = 0;
    // Sets the normalised value of the control at `controlIndex`.
    virtual void SetControlValueAt(int controlIndex, double normalised) = 0;
    // Hides or shows every control bound to `paramIndex`.
    virtual void SetParamControlsHidden(int paramIndex, bool hidden) = 0;

    // [UI thread] Makes the drawing surface; called once when attached.
    virtual void CreateSurface() = 0;
    // Redraws per second of the editor's timer (24 by default).
    virtual int FrameRate() const = 0;
    // Starts the countdown after which the editor calls FlushDeferredEditEnd.
    virtual void StartGestureTimer(int ticks) = 0;
    virtual void StopGestureTimer() = 0;
};

} // namespace toneloom
