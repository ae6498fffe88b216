#include "ParameterChanges.h"

namespace toneloom::host {

using namespace Steinberg;

ParameterChanges::ParameterChanges(int queueCapacity, int pointsPerQueue)
{
    const int count = queueCapacity > 0 ? queueCapacity : 1;
    queues.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        queues.push_back(new ParameterValueQueue(pointsPerQueue));
    }
}

ParameterChanges::~ParameterChanges()
{
    for (ParameterValueQueue* queue : queues) {
        queue->release();
    }
}

bool ParameterChanges::Add(Vst::ParamID id, int32 sampleOffset, Vst::ParamValue value)
{
    int32 queueIndex = 0;
    Vst::IParamValueQueue* queue = addParameterData(id, queueIndex);
    int32 pointIndex = 0;
    return queue != nullptr && queue->addPoint(sampleOffset, value, pointIndex) == kResultOk;
}

int32 PLUGIN_API ParameterChanges::getParameterCount()
{
    return used;
}

Vst::IParamValueQueue* PLUGIN_API ParameterChanges::getParameterData(int32 index)
{
    if (index < 0 || index >= used) {
        return nullptr;
    }
    return queues[static_cast<size_t>(index)];
}

Vst::IParamValueQueue* PLUGIN_API ParameterChanges::addParameterData(const Vst::ParamID& id,
                                                                     int32& index)
{
    for (int i = 0; i < used; ++i) {
        if (queues[static_cast<size_t>(i)]->getParameterId() == id) {
            index = i;
            return queues[static_cast<size_t>(i)];
        }
    }
    if (used >= static_cast<int>(queues.size())) {
        return nullptr;
    }
    ParameterValueQueue* queue = queues[static_cast<size_t>(used)];
    queue->Reset(id);
    index = used++;
    return queue;
}

} // namespace toneloom::host
