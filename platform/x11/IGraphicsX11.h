// The editor on Linux: a child window of the host's X11 window (XEmbed
// client), painted from the editor's surface, driven by the host's run loop.
// It does on X11 what the Windows layer does with window messages: a timer
// at the frame rate collects dirty controls and repaints them, presses are
// captured while a button is held (the X server's implicit grab), double
// clicks follow the usual timing rule, wheel buttons are wheel steps, and the
// keys of the editor's key table reach KeyDown. The native value entry is a
// small X11 text box of its own (X11ValueEntry).
//
// Threads: everything runs on the host's UI thread: the host calls, the run
// loop's callbacks (HandleEvents, Tick) and the editor's dispatch. Each open
// window has its own display connection; editors share nothing but the
// module's image and font caches.
#pragma once

#include "IGraphics.h"
#include "PX_Types.h"

#include <memory>
#include <vector>

struct _XDisplay;
struct _XGC;
union _XEvent;

namespace toneloom {

class IX11EventLoop;
class X11ValueEntry;

class IGraphicsX11 : public IGraphics
{
public:
    IGraphicsX11(IEffectBase* plug, int width, int height, int frameRate = 0);
    // Closes the window without calling the plug-in, which may be going away.
    ~IGraphicsX11() override;

    // Ignored on Linux: pictures come from the module's embedded table.
    void SetModuleHandle(PX_Module handle) { module = handle; }
    // [UI thread] The loop that drives the next window; not owned. Without
    // one OpenWindow opens nothing.
    void SetEventLoop(IX11EventLoop* loop) { eventLoop = loop; }

    bool PresentArea(const IBox& area) override;
    void Resize(int newWidth, int newHeight) override;
    void EditControlText(ITextControl* textControl) override;
    void PromptParamValue(IControl* control, IParamRecord* param, bool compact) override;
    void HostFolder(TextBuffer* folder) override;
    void ModuleFolder(TextBuffer* folder) override;
    void PromptForFile(TextBuffer* path, int action, const char* folder,
                       const char* extensions) override;             // "": no file dialog here
    bool PromptForColor(IRgba* colour, const char* prompt) override; // false: no dialog here
    // Starts `xdg-open` with the address (no shell); true when it started.
    bool OpenUrl(const char* url, const char* title, const char* confirmText,
                 const char* failureText) override;
    void StartGestureTimer(int ticks) override;
    void StopGestureTimer() override;
    // `parent` is the host's X11 window id. Returns the editor's window id
    // (as a pointer-sized value) or null when the display, the window or the
    // event loop fails. Opening while open reopens at the same place.
    void* OpenWindow(void* parent) override;
    void CloseWindow() override;
    void* NativeWindow() override;
    void RefreshTooltip() override;
    PX_IBitmap* LoadImageResource(int resourceId, const char* name) override;
    // Resizes the window to the surface at the new scale.
    void ScaleChanged() override;
    // Xft.dpi / 96 from the X server's resources, else GDK_SCALE, else 1.
    float SystemScale(void* parent) override;
    // The Xft.dpi value in an X resource string, 0 when absent or unreadable.
    static float XftDpiIn(const char* resources);

    // Run-loop callbacks. [UI thread]
    // Handles every pending X event without blocking.
    void HandleEvents();
    // One timer tick: the value entry's result, the redraw of dirty controls,
    // the gesture countdown.
    void Tick();
    // trunc(1000 / frame rate).
    int TimerPeriodMs() const;

    // For tests and diagnostics.
    bool ValueEntryOpen() const;
    // Pictures sent to the server so far, and whether the window shows.
    int PresentCount() const { return presentCount; }
    bool Viewable() const { return viewable; }
    int GestureCountdown() const { return gestureCountdown; }
    unsigned long ParentWindow() const { return parent; }

private:
    void HandleEvent(_XEvent& event);
    void HandleButtonPress(_XEvent& event);
    void HandleButtonRelease(_XEvent& event);
    void HandleMotion(_XEvent& event);
    void HandleKey(_XEvent& event);
    void HandleClientMessage(_XEvent& event);
    void TakeFocus();
    void TickValueEntry();
    void DestroyWindowResources();
    void ReapChildren();
    // Follows the mapping of every window above ours, so that hiding any of
    // them stops the drawing.
    void WatchAncestors();
    // Asks the server whether the window shows now.
    void UpdateViewable();

    PX_Module module = nullptr;
    IX11EventLoop* eventLoop = nullptr; // not owned
    _XDisplay* display = nullptr;       // our own connection while open
    unsigned long window = 0;           // the editor's window, 0 while closed
    unsigned long parent = 0;           // the host's window
    _XGC* gc = nullptr;
    void* visual = nullptr; // the window's Visual
    int depth = 0;          // the window's depth, bits
    int windowX = 0;        // position in the parent, pixels
    int windowY = 0;
    int gestureCountdown = 0; // ticks; 0: not armed
    IBox exposed;             // union of Expose rectangles not yet drawn
    bool exposePending = false;
    bool viewable = false; // mapped with every ancestor: drawing is seen
    int presentCount = 0;
    unsigned long lastPressTime = 0; // server milliseconds of the last left press
    int lastPressX = -10000;
    int lastPressY = -10000;
    bool hoverTracked = false; // a leave is expected
    unsigned long atomXembedInfo = 0;
    unsigned long atomXembed = 0;
    std::unique_ptr<X11ValueEntry> entry;
    std::vector<int> children; // xdg-open processes not reaped yet
};

} // namespace toneloom
