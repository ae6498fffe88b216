// The base of every editor control: a box on the editor surface, an optional
// parameter binding, a normalised value, and handlers that the graphics core
// calls for mouse, keys and drawing. The virtual operations keep a fixed slot
// order; derived controls override by slot.
//
// Threads: every operation runs on the editor's (UI) thread, except
// ShowHostValue, ShowUserValue, SetHidden and MarkDirty, which the plug-in
// side also calls from its process call (the audio thread) with its instance
// mutex held, while the UI thread draws without that mutex. So the fields
// those write and drawing reads (value, defaultValue, dirty, hidden, dimmed,
// redrawAgain) are atomics, read and written with relaxed order except for
// the handoff below. Controls take no lock of their own.
//
// The handoff: a value or visibility from the plug-in is stored first, then
// `dirty`, then `redrawAgain` (release). A draw pass clears `dirty` after
// drawing (MarkClean), which may overwrite a mark made while it drew; the
// later `redrawAgain` survives that, and NeedsRedraw counts it, so the next
// pass (acquire) draws what the plug-in stored. Read-modify-write sites run
// on the UI thread only and load, compute and store; a value the plug-in
// stores in between is either drawn or replaced by the user's own edit, which
// then goes to the plug-in.
#pragma once

#include "IGraphicsTypes.h"

#include <atomic>
#include <cstdint>

namespace toneloom {

class IEffectBase;
class IGraphics;

class IControl
{
public:
    // `paramIndex` -1 binds no parameter. The target box starts equal to `box`.
    IControl(IEffectBase* plug, const IBox& box, int paramIndex = -1);
    IControl(const IControl&) = delete;
    IControl& operator=(const IControl&) = delete;

    /* 0 */ virtual ~IControl();
    // Default: a left press closes nothing but forgets the editor's open pop-up;
    // a right press on a bound control opens a value list pop-up (enum and bool
    // parameters with value texts) or the platform's value entry.
    /* 1 */ virtual void HandlePress(int x, int y, const IMouseKeys& keys);
    /* 2 */ virtual void HandleRelease(int x, int y, const IMouseKeys& keys);
    /* 3 */ virtual void HandleFileDrop(int x, int y, const char* path);
    // dx, dy: whole pixels since the previous delivered drag (or the press).
    /* 4 */ virtual void HandleDrag(int x, int y, int dx, int dy, const IMouseKeys& keys);
    // Default: back to the default value (when there is one), sent to the plug-in.
    /* 5 */ virtual void HandleDoubleClick(int x, int y, const IMouseKeys& keys);
    // Default: one step per notch (0.01 for double and int parameters, half of
    // one entry for lists), a tenth of it with Ctrl or Shift, sent to the plug-in.
    /* 6 */ virtual void HandleWheel(int x, int y, const IMouseKeys& keys, int steps);
    /* 7 */ virtual void HandleKey(int x, int y, int keyCode);
    /* 8 */ virtual void HandleHover(int x, int y, const IMouseKeys& keys);
    /* 9 */ virtual void HandleHoverEnd();
    // Draws the control into the graphics' surface; every class supplies it.
    /* 10 */ virtual bool Render(IGraphics& graphics) = 0;
    // [any thread, instance mutex held] A value from the plug-in (normalised).
    // The first one also becomes the default value.
    /* 11 */ virtual void ShowHostValue(double normalised);
    // A value as if the user had set it: always marked dirty and sent on.
    /* 12 */ virtual void ShowUserValue(double normalised);
    // A pop-up this control opened closed; ("", -1) when dismissed.
    /* 13 */ virtual void PopupClosed(const char* text, int index);
    /* 14 */ virtual void SetHidden(bool hide);
    // Dimmed controls draw at a quarter weight.
    /* 15 */ virtual void SetDimmed(bool dim);
    // Inside the target box, right and bottom edges included.
    /* 16 */ virtual bool HitTest(int x, int y);
    // Limits the value to the clamp range and marks the control dirty; with
    // `push`, sends the value to the bound parameter (SetParamFromEditor).
    /* 17 */ virtual void MarkDirty(bool push);
    // After a draw pass: dirty only when asked to redraw again.
    /* 18 */ virtual void MarkClean();
    // Dirty, or asked to redraw again by a change made during the last pass.
    /* 19 */ virtual bool NeedsRedraw();
    /* 20 */ virtual void Spare();

    // Asks the platform for a native value entry over this control (nothing
    // without a parameter or with the prompt disabled).
    void OpenValuePrompt();
    // The native entry closed: re-send the value and redraw once more.
    void EndValuePrompt();

    double Value() const { return value.load(std::memory_order_relaxed); }
    IEffectBase* Plug() const { return plug; }
    const IBox& Box() const { return box; }
    const IBox& TargetBox() const { return targetBox; }
    int ParamIndex() const { return paramIndex; }
    double DefaultValue() const { return defaultValue.load(std::memory_order_relaxed); }
    bool IsDirty() const { return dirty.load(std::memory_order_relaxed); }
    bool IsHidden() const { return hidden.load(std::memory_order_relaxed); }
    bool IsDimmed() const { return dimmed.load(std::memory_order_relaxed); }
    bool RedrawAgain() const { return redrawAgain.load(std::memory_order_relaxed); }
    bool PromptDisabled() const { return promptDisabled; }
    bool DoubleClickAsPress() const { return doubleClickAsPress; }
    const IBlend& Blend() const { return blend; }
    const char* Tooltip() const { return tooltip; }
    // The control this one belongs to: a pop-up's opener; null for most.
    IControl* Owner() const { return owner; }
    // The editor this control was added to; null before.
    IGraphics* Graphics() const { return graphics; }

    void SetTargetBox(const IBox& hitBox) { targetBox = hitBox; }
    // Moves both boxes by (dx, dy) pixels.
    void MoveBy(int dx, int dy);
    void SetClamp(double low, double high);
    void SetPromptDisabled(bool disabled) { promptDisabled = disabled; }
    void SetDoubleClickAsPress(bool asPress) { doubleClickAsPress = asPress; }
    void SetBlend(const IBlend& newBlend) { blend = newBlend; }
    // `text` is not copied and must outlive the control.
    void SetTooltip(const char* text) { tooltip = text; }
    void SetOwner(IControl* ownerControl) { owner = ownerControl; }
    // Called by the graphics core when the control joins its list.
    void SetGraphics(IGraphics* editor) { graphics = editor; }

protected:
    // Stores a normalised value as it is (no clamping, nothing marked).
    void StoreValue(double normalised) { value.store(normalised, std::memory_order_relaxed); }

    std::atomic<double> value{0.0};         // normalised
    IEffectBase* plug;                      // not owned
    IBox box;                               // where the control draws
    IBox targetBox;                         // where it is hit
    int32_t paramIndex;                     // -1: none
    std::atomic<double> defaultValue{-1.0}; // normalised; negative: none yet
    double clampLow = 0.0;
    double clampHigh = 1.0;
    std::atomic<bool> dirty{true};        // draw in the next pass
    std::atomic<bool> hidden{false};      // neither drawn nor hit
    std::atomic<bool> dimmed{false};      // drawn at a quarter weight, not hit
    std::atomic<bool> redrawAgain{false}; // stay dirty for one more pass
    bool promptDisabled = false;          // a right press opens no value prompt
    bool doubleClickAsPress = false;      // the core turns a double click into a press
    IBlend blend;
    const char* tooltip = nullptr; // not owned
    IControl* owner = nullptr;     // not owned
    IGraphics* graphics = nullptr; // not owned
};

} // namespace toneloom
