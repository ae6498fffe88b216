// Lends the host's Linux run loop (Steinberg::Linux::IRunLoop, found on the
// host's plug frame) to the X11 editor: the editor's X connection is watched
// as an event handler and its redraw timer registered as a timer handler.
// Some hosts run nothing but a select loop over what plug-ins register, so
// both are needed.
//
// [UI thread] Made by the editor view when it opens the editor, dropped when
// the editor closes.
#pragma once

#include "IX11EventLoop.h"

#include "pluginterfaces/gui/iplugview.h"

#include <memory>

namespace toneloom {

class RunLoopCallback;

class VST3RunLoopBridge : public IX11EventLoop
{
public:
    // Null when the frame is null or offers no run loop.
    static std::unique_ptr<VST3RunLoopBridge> FromFrame(Steinberg::IPlugFrame* frame);

    explicit VST3RunLoopBridge(Steinberg::Linux::IRunLoop* hostLoop);
    ~VST3RunLoopBridge() override;
    VST3RunLoopBridge(const VST3RunLoopBridge&) = delete;
    VST3RunLoopBridge& operator=(const VST3RunLoopBridge&) = delete;

    bool Attach(IGraphicsX11* editor, int fd, int periodMs) override;
    void Detach() override;

private:
    Steinberg::Linux::IRunLoop* loop;   // one reference held
    RunLoopCallback* handler = nullptr; // one reference held while attached
};

} // namespace toneloom
