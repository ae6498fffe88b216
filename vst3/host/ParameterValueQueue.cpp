#include "ParameterValueQueue.h"

namespace toneloom::host {

using namespace Steinberg;

ParameterValueQueue::ParameterValueQueue(int newCapacity)
    : capacity(static_cast<size_t>(newCapacity > 0 ? newCapacity : 1))
{
    points.reserve(capacity);
}

void ParameterValueQueue::Reset(Vst::ParamID id)
{
    parameterId = id;
    points.clear();
}

int32 PLUGIN_API ParameterValueQueue::getPointCount()
{
    return static_cast<int32>(points.size());
}

tresult PLUGIN_API ParameterValueQueue::getPoint(int32 index, int32& sampleOffset,
                                                 Vst::ParamValue& value)
{
    if (index < 0 || index >= static_cast<int32>(points.size())) {
        return kResultFalse;
    }
    sampleOffset = points[static_cast<size_t>(index)].offset;
    value = points[static_cast<size_t>(index)].value;
    return kResultOk;
}

tresult PLUGIN_API ParameterValueQueue::addPoint(int32 sampleOffset, Vst::ParamValue value,
                                                 int32& index)
{
    size_t position = points.size();
    while (position > 0 && points[position - 1].offset > sampleOffset) {
        --position;
    }
    if (position > 0 && points[position - 1].offset == sampleOffset) {
        points[position - 1].value = value;
        index = static_cast<int32>(position - 1);
        return kResultOk;
    }
    if (points.size() >= capacity) {
        return kResultFalse;
    }
    points.insert(points.begin() + static_cast<std::ptrdiff_t>(position),
                  Point{sampleOffset, value});
    index = static_cast<int32>(position);
    return kResultOk;
}

} // namespace toneloom::host
