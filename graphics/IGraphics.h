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
//
// Scale: the layout is always Width() x Height() logical pixels (470 x 455
// for the product); controls, hit boxes, drag distances and the draw box are
// logical. At scale factor f the surface (and the window) is round(Width f)
// x round(Height f) pixels, and every drawing primitive maps its logical
// coordinates there itself: pictures come from the set drawn for the nearest
// scale at or above f (resampled with a filter between sets), text is
// rendered at the scaled size, lines, arcs and fills at the scaled size and
// width. Mouse positions from the platform are surface pixels and are mapped
// to logical ones on entry.
#pragma once

#include "IControl.h"
#include "IEditorLink.h"
#include "IGraphicsTypes.h"
#include "PX_Types.h"

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

// The scale factors an editor can be drawn at (surface pixels per logical pixel).
constexpr float kMinEditorScale = 1.0f;
constexpr float kMaxEditorScale = 4.0f;
// Picture sets drawn at 2x and 3x are stored under the 1x resource id plus
// this much per step of zoom (101 at 1x is 201 at 2x and 301 at 3x).
constexpr int kArtSetIdStep = 100;
constexpr int kLargestArtSet = 3;

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
    // After SetScale changed the factor: the platform gives its window and
    // screen the new surface size. The editor is already marked for a full
    // repaint.
    /* 21 */ virtual void ScaleChanged();
    // The scale the system's display asks of a window in `parent` (null: of
    // the system in general); 1 where the platform cannot tell.
    /* 22 */ virtual float SystemScale(void* parent);

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

    // Scale. [UI thread]
    // Draws the editor at `factor` surface pixels per logical pixel from now
    // on; false, changing nothing, for a factor that is not finite or lies
    // outside kMinEditorScale..kMaxEditorScale. A new factor ends a press
    // still held, forgets the pictures resampled for the old one, marks
    // everything for repainting and calls ScaleChanged.
    bool SetScale(float factor);
    float Scale() const { return scale; }
    // The surface (and window) size at the current scale: round(Width() x
    // scale) x round(Height() x scale).
    int SurfaceWidth() const;
    int SurfaceHeight() const;
    // A logical box in surface pixels: each edge scaled and rounded, so boxes
    // that meet in the layout meet on the surface.
    IBox ToSurface(const IBox& logical) const;
    // The smallest logical box covering a box of surface pixels.
    IBox FromSurface(const IBox& surfaceBox) const;
    // The logical pixel under the centre of surface pixel `surfacePx`.
    int ToLogical(int surfacePx) const;

    // Where the scale comes from: the host's content scale wins; without
    // one, the size the user picked from the panel's menu (remembered for
    // every editor, EditorSizeSetting); without that, the system's.
    void NoteHostScale() { hostScale = true; }
    bool HostSetsScale() const { return hostScale; }
    // Takes the remembered or the system scale for a window in `parent`
    // unless the host set one; true when the surface size changed.
    bool ApplyDefaultScale(void* parent);
    // The system's scale for the window changed (it moved to another
    // screen): followed unless the host or the user chose one, and the host
    // is asked for the new size.
    void FollowSystemScale(float systemScale);
    // Opens the size menu (100 %, 125 %, 150 %, 200 %) at the logical point
    // for `owner`, which hands the picked entry to ChooseSizeAt.
    void OpenSizeMenu(IControl& owner, int x, int y);
    // The user picked entry `choice` of the size menu: remembered at once,
    // applied (and the host asked for the new size) at the next
    // CollectDirtyArea, after the menu has gone.
    void ChooseSizeAt(int choice);

    // Drawing and presenting, driven by the platform.
    // Applies a size picked from the menu, then adds the union of the dirty
    // controls' boxes to `area`; true if any.
    bool CollectDirtyArea(IBox* area);
    // Draws every visible control under the logical `area`, bottom first,
    // marks every control clean, then presents the area's surface box.
    bool DrawArea(const IBox& area);

    // Mouse and keys, in client (surface) pixels; controls hear logical ones.
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
    // The captured control wherever the logical point is, else the topmost
    // control that is neither hidden nor dimmed and is hit; -1 for none.
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

    // Drawing primitives for controls, in logical pixels; a null blend is
    // kBlendDefault at full weight. Only BlitImage (and what uses it) is
    // clipped to the draw box.
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
    // One line of text from the top of `area`, aligned as the style says,
    // at the style's size times the scale. A text wider than the area less
    // kTextFitMargin on either side is drawn smaller, just small enough to
    // fit (and centred on the line's height), so it never runs into a
    // neighbour's text; it is never cut.
    bool DrawTextIn(ITextStyle& style, const char* text, const IBox& area);
    static constexpr int kTextFitMargin = 2; // logical pixels

    // State.
    IEffectBase* Plug() const { return plug; }
    // The layout's size in logical pixels, whatever the scale.
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
    // The logical update box of the pass in progress.
    const IBox& DrawBox() const { return drawBox; }
    // Null before CreateSurface; without pixels before the first draw pass.
    PX_SysBitmap* Surface() const { return surface; }

protected:
    // For Resize in platform classes.
    void SetSize(int newWidth, int newHeight);
    // Deletes every control, last first.
    void DeleteControls();

private:
    // A picture as drawn at the current scale: frames one after another,
    // each frameWidth x frameHeight surface pixels.
    struct ScaledImage
    {
        const PX_IBitmap* key = nullptr; // the 1x bitmap
        int layout = 0;                  // ImageLayout
        PX_IBitmap* bitmap = nullptr;
        bool owned = false; // resampled here, else a set from the image cache
        int frameWidth = 0;
        int frameHeight = 0;
    };
    enum ImageLayout
    {
        kWhole = 0,       // one picture, whatever its frame count
        kFramesDown = 1,  // frames stacked vertically
        kFramesAcross = 2 // frames side by side
    };

    // Begins the edit of a press on `paramIndex` (none for -1); any earlier
    // one has been ended.
    void BeginGesture(int paramIndex);
    // The picture at the current scale, made on first use; null when the
    // image has no bitmap.
    const ScaledImage* ImageAtScale(const IImage& image, int layout);
    // The set of `image` drawn at `zoom` (1, 2, 3) from the image cache, or
    // null when the module has none of the right size.
    PX_IBitmap* ArtSet(const IImage& image, int zoom);
    void ForgetScaledImages();
    // Copies pixels of frame (frameX, frameY) of a scaled picture, from
    // (srcX, srcY) within the frame on, into the surface box `dest`,
    // clipped to the draw box and to the frame.
    void BlitScaled(const ScaledImage& picture, const IBox& dest, int frameX, int frameY, int srcX,
                    int srcY, const IBlend* blend);
    // A line `lineWidth` surface pixels wide between surface points, both
    // ends included.
    void StrokeSurfaceLine(float x1, float y1, float x2, float y2, int lineWidth, PX_Pixel pixel,
                           float opacity, int mode, bool antiAlias);
    // Surface pixels a one-pixel logical line is wide at this scale.
    int LineWidth() const;

    IPopupStyle popupStyle;
    bool hoverEnabled = false;
    int hoveredIndex = -1;
    IControl* openPopup = nullptr;         // in the list, owned there
    std::vector<IControl*> controls;       // owned; index order is drawing order
    IEffectBase* plug;                     // not owned
    IBox drawBox;                          // update box of the pass in progress, logical
    IBox surfaceDrawBox;                   // the same in surface pixels
    float scale = 1.0f;                    // surface pixels per logical pixel
    bool hostScale = false;                // the host named the scale
    bool userScale = false;                // the user picked one from the menu
    int pendingSizePercent = 0;            // picked, not yet applied; 0: none
    std::vector<ScaledImage> scaledImages; // pictures drawn at `scale`
    PX_SysBitmap* surface = nullptr;       // owned
    int width;                             // logical pixels
    int height;                            // logical pixels
    int frameRate;                         // redraws per second
    int capturedIndex = -1;
    int lastMouseX = -1;
    int lastMouseY = -1;
    int gestureParam = -1; // parameter of the edit begun by a press, -1: none
};

} // namespace toneloom
