// toneloom-play's window on X11: a top-level window with the strip's editor
// (an IGraphicsX11 child window) along the top and, below it, a container
// window the plug-in's view embeds into as it does in a DAW (XEmbed, with
// the program's PlayerRunLoop lent through the view's IPlugFrame).
//
// The strip's surface reaches down behind the plug-in's editor; while one of
// its lists is open, the container is cut (X Shape extension) where the list
// lies, so the list shows over the editor.
#pragma once

#include "PlayerRunLoop.h"
#include "PlayerWindow.h"

#include <chrono>
#include <memory>

struct _XDisplay;

namespace toneloom {

class IGraphicsX11;
class PlayerPlugFrame;

class PlayerWindowX11 : public PlayerWindow
{
public:
    // Takes the open display connection.
    explicit PlayerWindowX11(_XDisplay* display);
    ~PlayerWindowX11() override;

    bool Open(PlayerStrip& strip, Steinberg::IPlugView* view, const Placement& placement,
              Client& client, std::string* error) override;
    void Run() override;
    void Quit() override { loop.Quit(); }
    bool Position(int* x, int* y) const override;
    void Close() override;
    std::string HostReport() const override;


private:
    void HandleEvents();
    void FollowStripList();
    void ApplyViewSize();

    _XDisplay* display;
    PlayerRunLoop loop;
    PlayerPlugFrame* frame = nullptr;       // one reference held
    Steinberg::IPlugView* view = nullptr;   // the app's; attached while open
    IGraphicsX11* stripGraphics = nullptr;  // owned by the strip
    PlayerStrip* strip = nullptr;
    Client* client = nullptr;
    unsigned long topLevel = 0;
    unsigned long container = 0;
    unsigned long catcher = 0; // input only, over the editor while a list is open
    unsigned long atomDeleteWindow = 0;
    unsigned long atomProtocols = 0;
    bool attached = false;
    bool listCut = false;
    bool shapeAvailable = false;
    bool mapped = false;
    std::chrono::steady_clock::time_point mapRequested;
    double mapMs = -1.0; // from XMapWindow to the MapNotify, milliseconds
};

} // namespace toneloom
