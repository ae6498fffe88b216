// One parameter's changes within a block: points of (sample offset,
// normalised value) in offset order. Room for the points is reserved at
// construction, so filling the queue allocates nothing.
#pragma once

#include "base/source/fobject.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"

#include <vector>

namespace toneloom::host {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor" // COM-style interfaces end through release()

class ParameterValueQueue : public Steinberg::FObject, public Steinberg::Vst::IParamValueQueue
{
public:
    static constexpr int kDefaultCapacity = 64; // points per block

    explicit ParameterValueQueue(int capacity = kDefaultCapacity);
    ParameterValueQueue(const ParameterValueQueue&) = delete;
    ParameterValueQueue& operator=(const ParameterValueQueue&) = delete;

    // Empties the queue and gives it to parameter `id`.
    void Reset(Steinberg::Vst::ParamID id);

    Steinberg::Vst::ParamID PLUGIN_API getParameterId() override { return parameterId; }
    Steinberg::int32 PLUGIN_API getPointCount() override;
    Steinberg::tresult PLUGIN_API getPoint(Steinberg::int32 index, Steinberg::int32& sampleOffset,
                                           Steinberg::Vst::ParamValue& value) override;
    // Inserts in offset order; a point at an offset already present replaces
    // its value. kResultFalse when the queue is full. The value is stored as
    // given, so tests can pass values a host should never send.
    Steinberg::tresult PLUGIN_API addPoint(Steinberg::int32 sampleOffset,
                                           Steinberg::Vst::ParamValue value,
                                           Steinberg::int32& index) override;

    OBJ_METHODS(ParameterValueQueue, FObject)
    DEFINE_INTERFACES
    DEF_INTERFACE(IParamValueQueue)
    END_DEFINE_INTERFACES(FObject)
    REFCOUNT_METHODS(FObject)

private:
    struct Point
    {
        Steinberg::int32 offset; // samples from the block start
        Steinberg::Vst::ParamValue value;
    };
    Steinberg::Vst::ParamID parameterId = 0;
    std::vector<Point> points; // capacity reserved once
    size_t capacity;
};

#pragma GCC diagnostic pop

} // namespace toneloom::host
