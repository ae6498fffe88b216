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

tresult PLUGIN_API RecordingComponentHandler::beginEdit(Vst::ParamID id)
{
    HandlerEvent event{HandlerEvent::kBeginEdit};
    event.id = id;
    Record(event);
    return kResultOk;
}

tresult PLUGIN_API RecordingComponentHandler::performEdit(Vst::ParamID id,
                                                          Vst::ParamValue valueNormalized)
{
    HandlerEvent event{HandlerEvent::kPerformEdit};
    event.id = id;
    event.normalised = valueNormalized;
    Record(event);
    return kResultOk;
}

tresult PLUGIN_API RecordingComponentHandler::endEdit(Vst::ParamID id)
{
    HandlerEvent event{HandlerEvent::kEndEdit};
    event.id = id;
    Record(event);
    return kResultOk;
}

tresult PLUGIN_API RecordingComponentHandler::restartComponent(int32 flags)
{
    HandlerEvent event{HandlerEvent::kRestart};
    event.flags = flags;
    Record(event);
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
