#include "EventList.h"

namespace toneloom::host {

using namespace Steinberg;

EventList::EventList(int newCapacity)
    : capacity(static_cast<size_t>(newCapacity > 0 ? newCapacity : 1))
{
    events.reserve(capacity);
}

int32 PLUGIN_API EventList::getEventCount()
{
    return static_cast<int32>(events.size());
}

tresult PLUGIN_API EventList::getEvent(int32 index, Vst::Event& event)
{
    if (index < 0 || index >= static_cast<int32>(events.size())) {
        return kResultFalse;
    }
    event = events[static_cast<size_t>(index)];
    return kResultOk;
}

tresult PLUGIN_API EventList::addEvent(Vst::Event& event)
{
    if (events.size() >= capacity) {
        return kResultFalse;
    }
    events.push_back(event);
    return kResultOk;
}

} // namespace toneloom::host
