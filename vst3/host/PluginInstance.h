// One plug-in object made by a module's factory, seen through the
// interfaces a host uses: component, audio processor, edit controller and
// unit information. It remembers how far the host brought it (initialised,
// active) and undoes that in reverse order when it is destroyed.
#pragma once

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstunits.h"

#include <cstdint>
#include <vector>

namespace toneloom::host {

class PluginInstance
{
public:
    // Creates class `classId` from `factory`; Valid() tells whether it worked.
    PluginInstance(Steinberg::IPluginFactory* factory, const Steinberg::TUID classId);
    // Deactivates, terminates and releases what is still open.
    ~PluginInstance();
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    bool Valid() const { return component != nullptr && processor != nullptr; }
    Steinberg::Vst::IComponent* Component() const { return component; }
    Steinberg::Vst::IAudioProcessor* Processor() const { return processor; }
    // Null when the object is not its own edit controller.
    Steinberg::Vst::IEditController* Controller() const { return controller; }
    Steinberg::Vst::IUnitInfo* Units() const { return units; }

    Steinberg::tresult Initialize(Steinberg::FUnknown* hostContext);
    // Activates every bus the plug-in declares with the default-active flag.
    void ActivateDefaultBuses();
    Steinberg::tresult Setup(double sampleRateHz, int maxBlockFrames,
                             Steinberg::int32 symbolicSampleSize = Steinberg::Vst::kSample32,
                             Steinberg::int32 processMode = Steinberg::Vst::kRealtime);
    Steinberg::tresult SetActive(bool active);
    // [audio thread]
    Steinberg::tresult Process(Steinberg::Vst::ProcessData& data);
    Steinberg::tresult Terminate();

    // The component's state as bytes; false when getState failed.
    bool SaveState(std::vector<uint8_t>* bytes);
    Steinberg::tresult LoadState(const std::vector<uint8_t>& bytes);
    // The component's state given to the controller, as hosts do after
    // loading it into the component (setComponentState).
    Steinberg::tresult HandComponentStateToController(const std::vector<uint8_t>& bytes);
    // The controller's own state (single-component effects keep none).
    bool SaveControllerState(std::vector<uint8_t>* bytes);

    // Lets go of every interface at once, without deactivating or
    // terminating: what a careless host does.
    void ReleaseNow();

private:
    Steinberg::Vst::IComponent* component = nullptr;
    Steinberg::Vst::IAudioProcessor* processor = nullptr;
    Steinberg::Vst::IEditController* controller = nullptr;
    Steinberg::Vst::IUnitInfo* units = nullptr;
    bool initialized = false;
    bool active = false;
};

} // namespace toneloom::host
