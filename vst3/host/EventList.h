// The events of one block (notes and the like), with room reserved at
// construction so that filling the list allocates nothing.
#pragma once

#include "base/source/fobject.h"
#include "pluginterfaces/vst/ivstevents.h"

#include <vector>

namespace toneloom::host {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor" // COM-style interfaces end through release()

class EventList : public Steinberg::FObject, public Steinberg::Vst::IEventList
{
public:
    static constexpr int kDefaultCapacity = 256; // events per block

    explicit EventList(int capacity = kDefaultCapacity);
    EventList(const EventList&) = delete;
    EventList& operator=(const EventList&) = delete;

    void Clear() { events.clear(); }

    Steinberg::int32 PLUGIN_API getEventCount() override;
    Steinberg::tresult PLUGIN_API getEvent(Steinberg::int32 index,
                                           Steinberg::Vst::Event& event) override;
    // Appends; kResultFalse when the list is full.
    Steinberg::tresult PLUGIN_API addEvent(Steinberg::Vst::Event& event) override;

    OBJ_METHODS(EventList, FObject)
    DEFINE_INTERFACES
    DEF_INTERFACE(IEventList)
    END_DEFINE_INTERFACES(FObject)
    REFCOUNT_METHODS(FObject)

private:
    std::vector<Steinberg::Vst::Event> events; // capacity reserved once
    size_t capacity;
};

#pragma GCC diagnostic pop

} // namespace toneloom::host
