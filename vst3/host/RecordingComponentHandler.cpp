#include "RecordingComponentHandler.h"

#include "RecordingContextMenu.h"

namespace toneloom::host {

using namespace Steinberg;

std::vector<HandlerEvent> RecordingComponentHandler::Events() const
{
    std::lock_guard<std::mutex> lock(eventsMutex);
    return events;
}

void RecordingComponentHandler::Clear()
{
    std::lock_guard<std::mutex> lock(eventsMutex);
    events.clear();
}

void RecordingComponentHandler::Record(const HandlerEvent& event)
{
    std::lock_guard<std::mutex> lock(eventsMutex);
    events.push_back(event);
}

bool RecordingComponentHandler::EnterHandler()
{
    if (lockHolder.load() == std::this_thread::get_id()) {
        ++callsInsideHostCalls;
        return false;
    }
    // Another thread inside a call only makes this one wait, as in the host.
    std::lock_guard<std::mutex> hold(hostLock);
    return true;
}

tresult PLUGIN_API RecordingComponentHandler::beginEdit(Vst::ParamID id)
{
    if (!EnterHandler()) {
        return kResultFalse;
    }
    HandlerEvent event{HandlerEvent::kBeginEdit};
    event.id = id;
    Record(event);
    return kResultOk;
}

tresult PLUGIN_API RecordingComponentHandler::performEdit(Vst::ParamID id,
                                                          Vst::ParamValue valueNormalized)
{
    if (!EnterHandler()) {
        return kResultFalse;
    }
    HandlerEvent event{HandlerEvent::kPerformEdit};
    event.id = id;
    event.normalised = valueNormalized;
    Record(event);
    return kResultOk;
}

tresult PLUGIN_API RecordingComponentHandler::endEdit(Vst::ParamID id)
{
    if (!EnterHandler()) {
        return kResultFalse;
    }
    HandlerEvent event{HandlerEvent::kEndEdit};
    event.id = id;
    Record(event);
    return kResultOk;
}

tresult PLUGIN_API RecordingComponentHandler::restartComponent(int32 flags)
{
    if (!EnterHandler()) {
        return kResultFalse;
    }
    HandlerEvent event{HandlerEvent::kRestart};
    event.flags = flags;
    Record(event);
    if (restartReaction) {
        restartReaction(flags);
    }
    return kResultOk;
}

tresult PLUGIN_API RecordingComponentHandler::setDirty(TBool state)
{
    HandlerEvent event{HandlerEvent::kSetDirty};
    event.flags = state ? 1 : 0;
    Record(event);
    return kResultOk;
}

tresult PLUGIN_API RecordingComponentHandler::requestOpenEditor(FIDString)
{
    return kResultFalse;
}

tresult PLUGIN_API RecordingComponentHandler::startGroupEdit()
{
    return kResultOk;
}

tresult PLUGIN_API RecordingComponentHandler::finishGroupEdit()
{
    return kResultOk;
}

Vst::IContextMenu* PLUGIN_API
RecordingComponentHandler::createContextMenu(IPlugView*, const Vst::ParamID* paramId)
{
    return new RecordingContextMenu(this, paramId != nullptr ? *paramId : 0);
}

} // namespace toneloom::host
