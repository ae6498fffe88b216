// toneloom-play's window, for each window system: a top-level window titled
// "Toneloom", sized to its contents and not resizable, holding the strip
// along the top and the plug-in's own editor below it, opened through its
// IPlugView as a DAW opens it, and the event loop that drives both.
//
// The window never calls into the plug-in from inside one of the plug-in's
// calls to it (its frame's resizeView, its run loop's registrations): what
// such a call asks for is done on the loop's next turn.
//
// Threads: [UI thread], the one that opens the window and runs its loop.
#pragma once

#include "pluginterfaces/gui/iplugview.h"

#include <memory>
#include <string>

namespace toneloom {

class IGraphics;
class PlayerStrip;

class PlayerWindow
{
public:
    // The program around the window.
    class Client
    {
    public:
        virtual ~Client() = default;
        // The user closed the window (or the system asked it to end).
        virtual void CloseRequested() = 0;
        // Called from the loop every kTickMs, never from inside a call of
        // the plug-in's.
        virtual void Tick() = 0;
    };

    // Where the window opens and what the editor embeds into.
    struct Placement
    {
        bool hasPosition = false; // else the window system places it
        int x = 0;                // the frame's top-left, screen pixels
        int y = 0;
    };

    static constexpr int kTickMs = 100;
    // Logical pixels of room below the strip for its lists, which open over
    // the editor (the editor's height at 1x).
    static constexpr int kListRoom = 455;

    virtual ~PlayerWindow() = default;

    // The window system's window; null with a one-line reason when there is
    // no display to open one on.
    static std::unique_ptr<PlayerWindow> Create(std::string* reason);

    // Opens the window with `strip` (its controls are built here) above
    // `view` (attached, sized and shown). False with a one-line reason;
    // nothing stays open then.
    virtual bool Open(PlayerStrip& strip, Steinberg::IPlugView* view, const Placement& placement,
                      Client& client, std::string* error) = 0;
    // Runs the loop until Quit.
    virtual void Run() = 0;
    // Makes Run return after the current turn.
    virtual void Quit() = 0;
    // Where the window's frame is on the screen now; false when unknown.
    virtual bool Position(int* x, int* y) const = 0;
    // Detaches the editor (IPlugView::removed), closes the window and lets
    // go of whatever the plug-in left registered.
    virtual void Close() = 0;
    // How the plug-in used the window's services, for the program's report:
    // registrations made and released, calls back refused.
    virtual std::string HostReport() const = 0;

protected:
    // The layout for a view of `newViewWidth` x `newViewHeight` pixels: the
    // strip at the view's scale (its width over the strip's, 1 to 4) above
    // it, and `stripGraphics` (when open) told the scale.
    void Arrange(int newViewWidth, int newViewHeight, IGraphics* stripGraphics);
    // The scale Arrange worked out.
    float StripScale() const { return stripScale; }
    // The view asked for another size from inside its own call: noted here,
    // carried out by the window on the loop's next turn.
    void ViewAskedForSize(int newWidth, int newHeight);

    int width = 0;       // the window's inside, pixels
    int stripHeight = 0; // pixels
    int viewWidth = 0;
    int viewHeight = 0;
    bool resizeWanted = false;
    int wantedWidth = 0; // pixels
    int wantedHeight = 0;

private:
    float stripScale = 1.0f;
};

} // namespace toneloom
