// The IPlugFrame toneloom-play gives the plug-in's view: a resize request is
// noted for the window's loop to carry out (never from inside the view's
// call), and on Linux the frame lends the program's run loop.
#pragma once

#include "base/source/fobject.h"
#include "pluginterfaces/gui/iplugview.h"

#include <functional>

namespace toneloom {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor" // COM-style interfaces end through release()

class PlayerPlugFrame : public Steinberg::FObject, public Steinberg::IPlugFrame
{
public:
    using ResizeNote = std::function<void(int width, int height)>;

    // `runLoop` (kept by the caller) is offered through queryInterface;
    // null offers none.
    PlayerPlugFrame(ResizeNote onResize, Steinberg::FUnknown* runLoop)
        : onResize(std::move(onResize)), runLoop(runLoop)
    {
    }

    Steinberg::tresult PLUGIN_API resizeView(Steinberg::IPlugView* view,
                                             Steinberg::ViewRect* newSize) override;
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;

    OBJ_METHODS(PlayerPlugFrame, FObject)
    REFCOUNT_METHODS(FObject)

private:
    ResizeNote onResize;
    Steinberg::FUnknown* runLoop;
};

#pragma GCC diagnostic pop

} // namespace toneloom
