// What the X11 editor needs from the host's event loop: a watch on its X
// connection and a periodic timer, both on the UI thread. The editor opens
// no thread of its own; the VST 3 view lends it the host's run loop through
// this interface.
#pragma once

namespace toneloom {

class IGraphicsX11;

class IX11EventLoop
{
public:
    virtual ~IX11EventLoop() = default;

    // [UI thread] From now on call `editor->HandleEvents()` whenever `fd` is
    // readable and `editor->Tick()` every `periodMs` milliseconds. False when
    // the loop could not take either; then nothing stays registered.
    virtual bool Attach(IGraphicsX11* editor, int fd, int periodMs) = 0;
    // [UI thread] Undoes Attach; harmless when nothing is attached.
    virtual void Detach() = 0;
};

} // namespace toneloom
