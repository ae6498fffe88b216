#include "SingleComponentEffect.h"

namespace toneloom {

using namespace Steinberg;
using namespace Steinberg::Vst;

SingleComponentEffect::SingleComponentEffect()
    : audioInputs(kAudio, kInput), audioOutputs(kAudio, kOutput), eventInputs(kEvent, kInput),
      eventOutputs(kEvent, kOutput), processSetup{kRealtime, kSample32, 0, 0.0}
{
}

SingleComponentEffect::~SingleComponentEffect()
{
    // A host that releases the object without terminate would otherwise keep
    // the references EditController holds on its component handler.
    if (componentHandler2 != nullptr) {
        componentHandler2->release();
        componentHandler2 = nullptr;
    }
    if (componentHandler != nullptr) {
        componentHandler->release();
        componentHandler = nullptr;
    }
}

AudioBus* SingleComponentEffect::addAudioInput(const TChar* name, SpeakerArrangement arrangement,
                                               BusType busType, int32 flags)
{
    auto* bus = new AudioBus(name, busType, flags, arrangement);
    audioInputs.emplace_back(IPtr<Bus>(bus, false));
    return bus;
}

AudioBus* SingleComponentEffect::addAudioOutput(const TChar* name, SpeakerArrangement arrangement,
                                                BusType busType, int32 flags)
{
    auto* bus = new AudioBus(name, busType, flags, arrangement);
    audioOutputs.emplace_back(IPtr<Bus>(bus, false));
    return bus;
}

EventBus* SingleComponentEffect::addEventInput(const TChar* name, int32 channels, BusType busType,
                                               int32 flags)
{
    auto* bus = new EventBus(name, busType, flags, channels);
    eventInputs.emplace_back(IPtr<Bus>(bus, false));
    return bus;
}

EventBus* SingleComponentEffect::addEventOutput(const TChar* name, int32 channels, BusType busType,
                                                int32 flags)
{
    auto* bus = new EventBus(name, busType, flags, channels);
    eventOutputs.emplace_back(IPtr<Bus>(bus, false));
    return bus;
}

tresult SingleComponentEffect::removeAudioBusses()
{
    audioInputs.clear();
    audioOutputs.clear();
    return kResultOk;
}

tresult SingleComponentEffect::removeEventBusses()
{
    eventInputs.clear();
    eventOutputs.clear();
    return kResultOk;
}

BusList* SingleComponentEffect::getBusList(MediaType type, BusDirection dir)
{
    if (type == kAudio) {
        return dir == kInput ? &audioInputs : (dir == kOutput ? &audioOutputs : nullptr);
    }
    if (type == kEvent) {
        return dir == kInput ? &eventInputs : (dir == kOutput ? &eventOutputs : nullptr);
    }
    return nullptr;
}

Bus* SingleComponentEffect::getBus(MediaType type, BusDirection dir, int32 index)
{
    BusList* list = getBusList(type, dir);
    if (list == nullptr || index < 0 || index >= static_cast<int32>(list->size())) {
        return nullptr;
    }
    return (*list)[static_cast<size_t>(index)];
}

tresult PLUGIN_API SingleComponentEffect::initialize(FUnknown* context)
{
    return EditController::initialize(context);
}

tresult PLUGIN_API SingleComponentEffect::terminate()
{
    removeAudioBusses();
    removeEventBusses();
    parameters.removeAll();
    return EditController::terminate();
}

tresult PLUGIN_API SingleComponentEffect::getParameterInfo(int32 paramIndex, ParameterInfo& info)
{
    if (paramIndex < 0 || paramIndex >= parameters.getParameterCount()) {
        return kInvalidArgument;
    }
    return EditController::getParameterInfo(paramIndex, info);
}

tresult PLUGIN_API SingleComponentEffect::getControllerClassId(TUID)
{
    return kNotImplemented;
}

tresult PLUGIN_API SingleComponentEffect::setIoMode(IoMode)
{
    return kNotImplemented;
}

int32 PLUGIN_API SingleComponentEffect::getBusCount(MediaType type, BusDirection dir)
{
    BusList* list = getBusList(type, dir);
    return list != nullptr ? static_cast<int32>(list->size()) : 0;
}

tresult PLUGIN_API SingleComponentEffect::getBusInfo(MediaType type, BusDirection dir, int32 index,
                                                     BusInfo& info)
{
    Bus* bus = getBus(type, dir, index);
    if (bus == nullptr) {
        return kInvalidArgument;
    }
    info.mediaType = type;
    info.direction = dir;
    return bus->getInfo(info) ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API SingleComponentEffect::getRoutingInfo(RoutingInfo&, RoutingInfo&)
{
    return kNotImplemented;
}

tresult PLUGIN_API SingleComponentEffect::activateBus(MediaType type, BusDirection dir, int32 index,
                                                      TBool state)
{
    Bus* bus = getBus(type, dir, index);
    if (bus == nullptr) {
        return kInvalidArgument;
    }
    bus->setActive(state);
    return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::setActive(TBool)
{
    return kResultOk;
}

tresult PLUGIN_API SingleComponentEffect::setBusArrangements(SpeakerArrangement* inputs,
                                                             int32 numIns,
                                                             SpeakerArrangement* outputs,
                                                             int32 numOuts)
{
    // Accept exactly the arrangements already declared.
    if (numIns < 0 || numOuts < 0 || numIns > static_cast<int32>(audioInputs.size()) ||
        numOuts > static_cast<int32>(audioOutputs.size()) || (numIns > 0 && inputs == nullptr) ||
        (numOuts > 0 && outputs == nullptr)) {
        return kInvalidArgument;
    }
    for (int32 i = 0; i < numIns; ++i) {
        auto* bus = FCast<AudioBus>(audioInputs[static_cast<size_t>(i)].get());
        if (bus == nullptr || bus->getArrangement() != inputs[i]) {
            return kResultFalse;
        }
    }
    for (int32 i = 0; i < numOuts; ++i) {
        auto* bus = FCast<AudioBus>(audioOutputs[static_cast<size_t>(i)].get());
        if (bus == nullptr || bus->getArrangement() != outputs[i]) {
            return kResultFalse;
        }
    }
    return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::getBusArrangement(BusDirection dir, int32 index,
                                                            SpeakerArrangement& arr)
{
    auto* bus = FCast<AudioBus>(getBus(kAudio, dir, index));
    if (bus == nullptr) {
        return kInvalidArgument;
    }
    arr = bus->getArrangement();
    return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::canProcessSampleSize(int32 symbolicSampleSize)
{
    return symbolicSampleSize == kSample32 ? kResultTrue : kResultFalse;
}

uint32 PLUGIN_API SingleComponentEffect::getLatencySamples()
{
    return 0;
}

tresult PLUGIN_API SingleComponentEffect::setupProcessing(ProcessSetup& setup)
{
    processSetup = setup;
    return kResultOk;
}

tresult PLUGIN_API SingleComponentEffect::setProcessing(TBool)
{
    return kNotImplemented;
}

tresult PLUGIN_API SingleComponentEffect::process(ProcessData&)
{
    return kNotImplemented;
}

uint32 PLUGIN_API SingleComponentEffect::getTailSamples()
{
    return kNoTail;
}

tresult PLUGIN_API SingleComponentEffect::queryInterface(const TUID iid, void** obj)
{
    QUERY_INTERFACE(iid, obj, IComponent::iid, IComponent)
    QUERY_INTERFACE(iid, obj, IAudioProcessor::iid, IAudioProcessor)
    return EditController::queryInterface(iid, obj);
}

tresult SingleComponentEffect::LoadComponentState(IBStream*)
{
    return kNotImplemented;
}

tresult SingleComponentEffect::SaveComponentState(IBStream*)
{
    return kNotImplemented;
}

tresult SingleComponentEffect::LoadControllerState(IBStream*)
{
    return kNotImplemented;
}

tresult SingleComponentEffect::SaveControllerState(IBStream*)
{
    return kNotImplemented;
}

} // namespace toneloom
