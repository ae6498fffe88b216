#include "RunLoopCallback.h"

#include <utility>

using namespace Steinberg;

namespace toneloom {

RunLoopCallback::RunLoopCallback(std::function<void()> onEvents, std::function<void()> onTimer)
    : events(std::move(onEvents)), timer(std::move(onTimer))
{
}

void RunLoopCallback::Forget()
{
    events = nullptr;
    timer = nullptr;
}

void PLUGIN_API RunLoopCallback::onFDIsSet(Linux::FileDescriptor)
{
    if (events) {
        events();
    }
}

void PLUGIN_API RunLoopCallback::onTimer()
{
    if (timer) {
        timer();
    }
}

tresult PLUGIN_API RunLoopCallback::queryInterface(const TUID iid, void** obj)
{
    if (obj == nullptr) {
        return kInvalidArgument;
    }
    if (FUnknownPrivate::iidEqual(iid, Linux::IEventHandler::iid) ||
        FUnknownPrivate::iidEqual(iid, FUnknown::iid)) {
        addRef();
        *obj = static_cast<Linux::IEventHandler*>(this);
        return kResultOk;
    }
    if (FUnknownPrivate::iidEqual(iid, Linux::ITimerHandler::iid)) {
        addRef();
        *obj = static_cast<Linux::ITimerHandler*>(this);
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

uint32 PLUGIN_API RunLoopCallback::addRef()
{
    return ++references;
}

uint32 PLUGIN_API RunLoopCallback::release()
{
    const uint32 left = --references;
    if (left == 0) {
        delete this;
    }
    return left;
}

} // namespace toneloom
