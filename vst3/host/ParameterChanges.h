// The parameter changes of one block: one ParameterValueQueue per parameter
// that changes. Queues are made at construction and reused, so a host can
// fill this on its audio thread without allocating.
#pragma once

#include "ParameterValueQueue.h"

#include "base/source/fobject.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"

#include <memory>
#include <vector>

namespace toneloom::host {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor" // COM-style interfaces end through release()

class ParameterChanges : public Steinberg::FObject, public Steinberg::Vst::IParameterChanges
{
public:
    static constexpr int kDefaultQueues = 64;

    explicit ParameterChanges(int queueCapacity = kDefaultQueues,
                              int pointsPerQueue = ParameterValueQueue::kDefaultCapacity);
    ~ParameterChanges() override;
    ParameterChanges(const ParameterChanges&) = delete;
    ParameterChanges& operator=(const ParameterChanges&) = delete;

    // Drops every queue (after a block).
    void Clear() { used = 0; }
    // Adds a point to the queue of `id`, opening one if needed; false when
    // there is no room.
    bool Add(Steinberg::Vst::ParamID id, Steinberg::int32 sampleOffset,
             Steinberg::Vst::ParamValue value);

    Steinberg::int32 PLUGIN_API getParameterCount() override;
    Steinberg::Vst::IParamValueQueue* PLUGIN_API getParameterData(Steinberg::int32 index) override;
    Steinberg::Vst::IParamValueQueue* PLUGIN_API addParameterData(const Steinberg::Vst::ParamID& id,
                                                                  Steinberg::int32& index) override;

    OBJ_METHODS(ParameterChanges, FObject)
    DEFINE_INTERFACES
    DEF_INTERFACE(IParameterChanges)
    END_DEFINE_INTERFACES(FObject)
    REFCOUNT_METHODS(FObject)

private:
    std::vector<ParameterValueQueue*> queues; // owned; references released in the destructor
    int used = 0;
};

#pragma GCC diagnostic pop

} // namespace toneloom::host
