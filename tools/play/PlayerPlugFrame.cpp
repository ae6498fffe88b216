#include "PlayerPlugFrame.h"

#include "PlayerComponentHandler.h"

using namespace Steinberg;

namespace toneloom {

tresult PLUGIN_API PlayerPlugFrame::resizeView(IPlugView* view, ViewRect* newSize)
{
    PlayerComponentHandler::FromPlugin scope;
    if (view == nullptr || newSize == nullptr || newSize->getWidth() <= 0 ||
        newSize->getHeight() <= 0) {
        return kInvalidArgument;
    }
    onResize(newSize->getWidth(), newSize->getHeight());
    return kResultOk;
}

tresult PLUGIN_API PlayerPlugFrame::queryInterface(const TUID iid, void** obj)
{
#if !defined(_WIN32)
    if (runLoop != nullptr && FUnknownPrivate::iidEqual(iid, Linux::IRunLoop::iid)) {
        return runLoop->queryInterface(iid, obj);
    }
#endif
    if (FUnknownPrivate::iidEqual(iid, IPlugFrame::iid)) {
        addRef();
        *obj = static_cast<IPlugFrame*>(this);
        return kResultOk;
    }
    return FObject::queryInterface(iid, obj);
}

} // namespace toneloom
