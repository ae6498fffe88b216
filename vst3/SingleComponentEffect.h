// One object that is at once the edit controller, the component and the audio
// processor of a VST 3 effect: the SDK's EditController plus IComponent and
// IAudioProcessor, with the component's audio and event bus lists and the
// last process setup. The SDK subset we build on does not ship this class;
// this is our own, written from the VST 3 interfaces. Its helper methods keep
// the SDK's names (addAudioInput, getBusList, ...), as code written against
// the SDK expects them.
//
// Threads: the host's UI thread calls everything but process, which comes on
// its audio thread.
#pragma once

#include "base/source/fobject.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "public.sdk/source/vst/vstbus.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

namespace toneloom {

// VST 3 interfaces are COM-style: they have no virtual destructor and their
// objects end through release(), never through delete on an interface
// pointer. GCC's non-virtual-dtor check would flag every implementation.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
namespace detail {

// IComponent and IEditController both declare setState and getState with one
// signature, so a plain override would serve both. Each bridge is the final
// overrider for one interface and forwards to a virtual of its own.
class ComponentStateCalls : public Steinberg::Vst::IComponent
{
public:
    Steinberg::tresult PLUGIN_API setState(Steinberg::IBStream* state) final
    {
        return LoadComponentState(state);
    }
    Steinberg::tresult PLUGIN_API getState(Steinberg::IBStream* state) final
    {
        return SaveComponentState(state);
    }

protected:
    virtual ~ComponentStateCalls() = default;
    // The component's state: what the host saves with the project.
    virtual Steinberg::tresult LoadComponentState(Steinberg::IBStream* state) = 0;
    virtual Steinberg::tresult SaveComponentState(Steinberg::IBStream* state) = 0;
};

class ControllerStateCalls : public Steinberg::Vst::EditController
{
public:
    Steinberg::tresult PLUGIN_API setState(Steinberg::IBStream* state) final
    {
        return LoadControllerState(state);
    }
    Steinberg::tresult PLUGIN_API getState(Steinberg::IBStream* state) final
    {
        return SaveControllerState(state);
    }

protected:
    // The controller's own state (editor settings and the like).
    virtual Steinberg::tresult LoadControllerState(Steinberg::IBStream* state) = 0;
    virtual Steinberg::tresult SaveControllerState(Steinberg::IBStream* state) = 0;
};

} // namespace detail

class SingleComponentEffect : public detail::ControllerStateCalls,
                              public detail::ComponentStateCalls,
                              public Steinberg::Vst::IAudioProcessor
{
public:
    SingleComponentEffect();
    ~SingleComponentEffect() override;
    SingleComponentEffect(const SingleComponentEffect&) = delete;
    SingleComponentEffect& operator=(const SingleComponentEffect&) = delete;

    // Bus declaration. The new bus is inactive until the host activates it;
    // `flags` is what the host reads (BusInfo::kDefaultActive asks it to).
    Steinberg::Vst::AudioBus*
    addAudioInput(const Steinberg::Vst::TChar* name, Steinberg::Vst::SpeakerArrangement arrangement,
                  Steinberg::Vst::BusType busType = Steinberg::Vst::kMain,
                  Steinberg::int32 flags = Steinberg::Vst::BusInfo::kDefaultActive);
    Steinberg::Vst::AudioBus*
    addAudioOutput(const Steinberg::Vst::TChar* name,
                   Steinberg::Vst::SpeakerArrangement arrangement,
                   Steinberg::Vst::BusType busType = Steinberg::Vst::kMain,
                   Steinberg::int32 flags = Steinberg::Vst::BusInfo::kDefaultActive);
    Steinberg::Vst::EventBus*
    addEventInput(const Steinberg::Vst::TChar* name, Steinberg::int32 channels = 16,
                  Steinberg::Vst::BusType busType = Steinberg::Vst::kMain,
                  Steinberg::int32 flags = Steinberg::Vst::BusInfo::kDefaultActive);
    Steinberg::Vst::EventBus*
    addEventOutput(const Steinberg::Vst::TChar* name, Steinberg::int32 channels = 16,
                   Steinberg::Vst::BusType busType = Steinberg::Vst::kMain,
                   Steinberg::int32 flags = Steinberg::Vst::BusInfo::kDefaultActive);
    Steinberg::tresult removeAudioBusses();
    Steinberg::tresult removeEventBusses();
    // Null for a media type or direction that does not exist.
    Steinberg::Vst::BusList* getBusList(Steinberg::Vst::MediaType type,
                                        Steinberg::Vst::BusDirection dir);
    // Null for an index out of range.
    Steinberg::Vst::Bus* getBus(Steinberg::Vst::MediaType type, Steinberg::Vst::BusDirection dir,
                                Steinberg::int32 index);
    const Steinberg::Vst::ProcessSetup& getProcessSetup() const { return processSetup; }

    // IPluginBase
    Steinberg::tresult PLUGIN_API initialize(Steinberg::FUnknown* context) override;
    Steinberg::tresult PLUGIN_API terminate() override;

    // IEditController: the SDK's, with the index checked first (the SDK's
    // container throws for an index out of range).
    Steinberg::tresult PLUGIN_API getParameterInfo(Steinberg::int32 paramIndex,
                                                   Steinberg::Vst::ParameterInfo& info) override;

    // IComponent
    Steinberg::tresult PLUGIN_API getControllerClassId(Steinberg::TUID classId) override;
    Steinberg::tresult PLUGIN_API setIoMode(Steinberg::Vst::IoMode mode) override;
    Steinberg::int32 PLUGIN_API getBusCount(Steinberg::Vst::MediaType type,
                                            Steinberg::Vst::BusDirection dir) override;
    Steinberg::tresult PLUGIN_API getBusInfo(Steinberg::Vst::MediaType type,
                                             Steinberg::Vst::BusDirection dir,
                                             Steinberg::int32 index,
                                             Steinberg::Vst::BusInfo& bus) override;
    Steinberg::tresult PLUGIN_API getRoutingInfo(Steinberg::Vst::RoutingInfo& inInfo,
                                                 Steinberg::Vst::RoutingInfo& outInfo) override;
    Steinberg::tresult PLUGIN_API activateBus(Steinberg::Vst::MediaType type,
                                              Steinberg::Vst::BusDirection dir,
                                              Steinberg::int32 index,
                                              Steinberg::TBool state) override;
    Steinberg::tresult PLUGIN_API setActive(Steinberg::TBool state) override;

    // IAudioProcessor
    Steinberg::tresult PLUGIN_API setBusArrangements(Steinberg::Vst::SpeakerArrangement* inputs,
                                                     Steinberg::int32 numIns,
                                                     Steinberg::Vst::SpeakerArrangement* outputs,
                                                     Steinberg::int32 numOuts) override;
    Steinberg::tresult PLUGIN_API
    getBusArrangement(Steinberg::Vst::BusDirection dir, Steinberg::int32 index,
                      Steinberg::Vst::SpeakerArrangement& arr) override;
    Steinberg::tresult PLUGIN_API
    canProcessSampleSize(Steinberg::int32 symbolicSampleSize) override;
    Steinberg::uint32 PLUGIN_API getLatencySamples() override;
    Steinberg::tresult PLUGIN_API setupProcessing(Steinberg::Vst::ProcessSetup& setup) override;
    Steinberg::tresult PLUGIN_API setProcessing(Steinberg::TBool state) override;
    Steinberg::tresult PLUGIN_API process(Steinberg::Vst::ProcessData& data) override;
    Steinberg::uint32 PLUGIN_API getTailSamples() override;

    OBJ_METHODS(SingleComponentEffect, Steinberg::Vst::EditController)
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    REFCOUNT_METHODS(Steinberg::Vst::EditController)

protected:
    // Component and controller state: not implemented unless a subclass says.
    Steinberg::tresult LoadComponentState(Steinberg::IBStream* state) override;
    Steinberg::tresult SaveComponentState(Steinberg::IBStream* state) override;
    Steinberg::tresult LoadControllerState(Steinberg::IBStream* state) override;
    Steinberg::tresult SaveControllerState(Steinberg::IBStream* state) override;

    Steinberg::Vst::BusList audioInputs;
    Steinberg::Vst::BusList audioOutputs;
    Steinberg::Vst::BusList eventInputs;
    Steinberg::Vst::BusList eventOutputs;
    Steinberg::Vst::ProcessSetup processSetup; // the last setup the host made
};

} // namespace toneloom
#pragma GCC diagnostic pop
