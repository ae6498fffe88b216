// The host-neutral editor: the ordered control list, the window-sized drawing
// surface, the module-wide image and font caches, the mouse state, and the
// bridge between control edits and the plug-in's parameters. A platform class
// (headless, X11, Windows) fills in presenting, timers, native entries and
// windows; nothing here touches a display.
//
// Threads: drawing, presenting and mouse and key dispatch run on the UI
// thread and take no lock of their own. The value operations
// (PushParamToControls, ...) are called by the plug-in side with its instance
// mutex held, from its process call (the audio thread) too; they reach only
// the controls' atomic fields (see IControl). The UI thread changes the
// control list (AddControl, RemoveControl, SetBackgroundImage, Resize) only
// while holding that mutex, and reads it without. The image and font caches
// have their own locks.
#pragma once

#include "IControl.h"
#include "IEditorLink.h"
#include "IGraphicsTypes.h"

#include <vector>

namespace toneloom {

class IEffectBase;
class IParamRecord;
class ITextControl;
class PX_IBitmap;
class PX_IFont;
class PX_SysBitmap;
class TextBuffer;

// Corner modes of FillRoundBox.
enum IRoundCorners : int
{
    kCornersAll = 4,
    kCornersTop = 2,
    kCornersBottom = -2,
};

constexpr int kDefaultFrameRate = 24; // redraws per second

class IGraphics : public IEditorLink
{
public:
    // `frameRate` of 0 or less becomes kDefaultFrameRate. No surface yet: the
    // plug-in base makes it when the editor is attached.
    IGraphics(IEffectBase* plug, int width, int height, int frameRate = 0);
    IGraphics(const IGraphics&) = delete;
    IGraphics& operator=(const IGraphics&) = delete;

    // Virtual operations in their fixed order (after IEditorLink's).
    // Copies a box of the surface to the screen.
    /* 1 */ virtual bool PresentArea(const IBox& area) = 0;
    // Stores the new size, forgets capture and mouse position, deletes every
    // control and asks the plug-in to resize its view.
    /* 2 */ virtual void Resize(int newWidth, int newHeight);
    /* 3 */ virtual bool IsWindowOpen();
    /* 4 */ virtual void EditControlText(ITextControl* textControl) = 0;
    // A native value entry for `param` over `control`.
    /* 5 */ virtual void PromptParamValue(IControl* control, IParamRecord* param, bool compact) = 0;
    /* 6 */ virtual void HostFolder(TextBuffer* folder) = 0;
    /* 7 */ virtual void ModuleFolder(TextBuffer* folder) = 0;
    /* 8 */ virtual void PromptForFile(TextBuffer* path, int action, const char* folder,
                                       const char* extensions) = 0;
    /* 9 */ virtual bool PromptForColor(IRgba* colour, const char* prompt) = 0;
    /* 10 */ virtual bool OpenUrl(const char* url, const char* title, const char* confirmText,
                                  const char* failureText) = 0;
    // A wheel turn forwarded by the host's view; false: not handled.
    /* 11 */ virtual bool HostWheel(int delta);
    // The countdown (in timer ticks) after which the platform calls the
    // plug-in's FlushDeferredEditEnd; Stop disarms it.
    /* 12 */ void StartGestureTimer(int ticks) override = 0;
    /* 13 */ void StopGestureTimer() override = 0;
    /* 14 */ virtual int ReservedQuery();
    // Opens the native window inside `parent` and calls InvalidateAll;
    // returns the window or null.
    /* 15 */ virtual void* OpenWindow(void* parent) = 0;
    // Closes it; first ends a wheel edit still counting down (the plug-in's
    // FlushDeferredEditEnd) and a press still held (EndOpenGesture). The
    // controls and the surface stay for the next opening.
    /* 16 */ virtual void CloseWindow() = 0;
    /* 17 */ virtual void* NativeWindow() = 0;
    // Deletes every control, last first, then the surface. Platform classes
    // close their window first.
    /* 18 */ ~IGraphics() override;
    /* 19 */ virtual void RefreshTooltip() = 0;
    // A newly decoded picture, or null when it is missing or undecodable.
    /* 20 */ virtual PX_IBitmap* LoadImageResource(int resourceId, const char* name) = 0;

    // Construction and setup.
    // Appends the control (taking ownership) and returns its index; -1 for null.
    int AddControl(IControl* control);
    // Removes the first entry equal to `control` without deleting it.
    void RemoveControl(IControl* control);
    // Puts an image control of picture `resourceId` at index 0.
    void SetBackgroundImage(int resourceId, const char* name);
    // The cached picture of `resourceId`, loaded on first use. A missing or
    // undecodable picture gives an image without bitmap and of size 0 x 0.
    IImage FetchImage(int resourceId, const char* name, int frames);
    // A picture FetchImage loaded before, with one frame (no bitmap otherwise).
    IImage FindImage(int resourceId);
    // [UI thread] Makes the surface object; its width x height pixels
    // follow with the first draw pass (EnsureSurfacePixels).
    void CreateSurface() override;
    // Gives a made surface its pixels (opaque black) when it has none or
    // another size than the editor; false when there are none to be had.
    bool EnsureSurfacePixels();
    // The style's font from the module-wide font cache, made on first use;
    // null when no font can be made.
    PX_IFont* FontFor(ITextStyle& style);

    // Values between plug-in and controls. [instance mutex held]
    void PushParamToControls(int paramIndex, double value, bool isNormalised) final;
    void PushUserValueToControls(int paramIndex, double normalised) final;
    void SetControlValueAt(int controlIndex, double normalised) final;
    void SetParamControlsHidden(int paramIndex, bool hide) final;
    int FrameRate() const final { return frameRate; }
    // The next draw pass repaints the whole editor.
    void InvalidateAll();

    // Drawing and presenting, driven by the platform.
    // Adds the union of the dirty controls' boxes to `area`; true if any.
    bool CollectDirtyArea(IBox* area);
    // Draws every visible control under `area`, bottom first, marks every
    // control clean, then presents the area.
    bool DrawArea(const IBox& area);

    // Mouse and keys, in client pixels.
    void MouseDown(int x, int y, const IMouseKeys& keys);
    void MouseUp(int x, int y, const IMouseKeys& keys);
    void MouseDrag(int x, int y, const IMouseKeys& keys);
    // True when the window must capture the mouse (the control took it as a press).
    bool MouseDoubleClick(int x, int y, const IMouseKeys& keys);
    // True when hover handling is on.
    bool MouseHover(int x, int y, const IMouseKeys& keys);
    void MouseWheel(int x, int y, const IMouseKeys& keys, int steps);
    void KeyDown(int x, int y, int keyCode);
    void MouseLeft();
    // The captured control wherever the point is, else the topmost control
    // that is neither hidden nor dimmed and is hit; -1 for none.
    int FindControlAt(int x, int y);
    void ReleaseMouse();
    // Ends a press or double click whose release never came: the pressed
    // control gets HandleRelease at the last mouse position, the plug-in the
    // end of the edit. Platforms call it when the window goes away.
    void EndOpenGesture();
    // Closes the open pop-up; without a choice its owner hears PopupClosed("", -1).
    void ClosePopup(bool chosen);
    // A committed native entry: a value text of `param` or a number, sent as
    // one begin, value, end gesture through `control`.
    void ApplyEditedText(IControl* control, IParamRecord* param, const char* text);

    // Drawing primitives for controls; a null blend is kBlendDefault at full
    // weight. Only BlitImage (and what uses it) is clipped to the draw box.
    bool BlitImage(const IImage& image, const IBox& dest, int srcX, int srcY,
                   const IBlend* blend = nullptr);
    // `frame` counts from 1; `dest` is one frame in size.
    bool BlitImageFrame(const IImage& image, const IBox& dest, int frame, const IBlend* blend,
                        bool framesVertical);
    // The whole picture centred on (cx, cy), turned clockwise by `angle`
    // radians, its source rectangle offset by (srcX, srcY), filtered.
    bool BlitImageRotated(const IImage& image, int cx, int cy, double angle, const IBlend* blend,
                          float srcX = 0.0f, float srcY = 0.0f);
    bool StrokeLine(const IRgba& colour, float x1, float y1, float x2, float y2,
                    const IBlend* blend = nullptr, bool antiAlias = false);
    bool StrokeRoundBox(const IRgba& colour, const IBox& area, int radius,
                        const IBlend* blend = nullptr, bool antiAlias = false);
    // `cornerMode`: kCornersAll, kCornersTop or kCornersBottom; others draw nothing.
    bool FillRoundBox(const IRgba& colour, const IBox& area, int radius, int cornerMode,
                      const IBlend* blend = nullptr, bool antiAlias = false);
    void FillBox(const IRgba& colour, const IBox& area, const IBlend* blend = nullptr);
    // One line of text from the top of `area`, aligned as the style says.
    bool DrawTextIn(ITextStyle& style, const char* text, const IBox& area);

    // State.
    IEffectBase* Plug() const { return plug; }
    int Width() const { return width; }
    int Height() const { return height; }
    int ControlCount() const { return static_cast<int>(controls.size()); }
    // Null for an index out of range.
    IControl* ControlAt(int index) const;
    // -1 when the control is not in the list.
    int IndexOf(const IControl* control) const;
    IPopupStyle& PopupStyle() { return popupStyle; }
    IControl* OpenPopup() const { return openPopup; }
    void SetOpenPopup(IControl* popup) { openPopup = popup; }
    bool HoverEnabled() const { return hoverEnabled; }
    void SetHoverEnabled(bool enabled) { hoverEnabled = enabled; }
    int HoveredIndex() const { return hoveredIndex; }
    void ForgetHover() { hoveredIndex = -1; }
    int CapturedIndex() const { return capturedIndex; }
    int LastMouseX() const { return lastMouseX; }
    int LastMouseY() const { return lastMouseY; }
    const IBox& DrawBox() const { return drawBox; }
    // Null before CreateSurface; without pixels before the first draw pass.
    PX_SysBitmap* Surface() const { return surface; }

protected:
    // For Resize in platform classes.
    void SetSize(int newWidth, int newHeight);
    // Deletes every control, last first.
    void DeleteControls();

private:
    // Begins the edit of a press on `paramIndex` (none for -1); any earlier
    // one has been ended.
    void BeginGesture(int paramIndex);

    IPopupStyle popupStyle;
    bool hoverEnabled = false;
    int hoveredIndex = -1;
    IControl* openPopup = nullptr;   // in the list, owned there
    std::vector<IControl*> controls; // owned; index order is drawing order
    IEffectBase* plug;               // not owned
    IBox drawBox;                    // update box of the pass in progress
    PX_SysBitmap* surface = nullptr; // owned
    int width;                       // pixels
    int height;                      // pixels
    int frameRate;                   // redraws per second
    int capturedIndex = -1;
    int lastMouseX = -1;
    int lastMouseY = -1;
    int gestureParam = -1; // parameter of the edit begun by a press, -1: none
};

} // namespace toneloom
