// Test-side hosting of the loaded modules: where the bundles are, a plug-in
// brought up the way a host does it, rendering and state checks.
#pragma once

#include "HostApplication.h"
#include "HostModule.h"
#include "PluginInstance.h"
#include "ProcessDataBuilder.h"
#include "RecordingComponentHandler.h"

#include "base/source/fobject.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace toneloom::testing {

// The product bundle and the bundle of the adapter test effect, as built.
std::string ToneloomBundle();
std::string AdapterTestBundle();

// The module at `bundle`, loaded once per test program.
host::HostModule& LoadedModule(const std::string& bundle);

// Two channels of rendered output.
struct StereoOut
{
    std::vector<double> left;
    std::vector<double> right;
};

// A plug-in from a loaded module with a host application and a recording
// component handler, taken through the host's start-up by Start.
class HostedPlugin
{
public:
    explicit HostedPlugin(const std::string& bundle);
    HostedPlugin(const HostedPlugin&) = delete;
    HostedPlugin& operator=(const HostedPlugin&) = delete;

    // initialize, component handler, default buses, setupProcessing and
    // setActive(true). True when every step answered OK.
    bool Start(double sampleRateHz = 48000.0, int maxBlockFrames = 512,
               Steinberg::int32 sampleSize = Steinberg::Vst::kSample32);

    host::PluginInstance& Plugin() { return *instance; }
    Steinberg::Vst::IEditController* Controller() { return instance->Controller(); }
    // The number of product parameters: every parameter but "Presets".
    int ProductParamCount();

    // Renders `frames` samples in blocks of `blockFrames` through `data`,
    // collecting output bus 0's first two channels. Parameter changes put
    // into `data` before the call go with the first block.
    StereoOut Render(host::ProcessDataBuilder& data, int frames, int blockFrames);

    Steinberg::IPtr<host::HostApplication> application;
    Steinberg::IPtr<host::RecordingComponentHandler> handler;

private:
    std::unique_ptr<host::PluginInstance> instance;
};

// The slot of the factory program named `name` (a test failure and 0 when
// there is none).
int ProgramSlot(HostedPlugin& plugin, const std::string& name);

// Picks the factory program named `name` through the controller with the
// host's own lock held around the call, as Ardour picks one from its menu.
Steinberg::tresult PickProgramHoldingTheHostLock(HostedPlugin& plugin, const std::string& name);

// `events` are exactly one request to read every value again.
::testing::AssertionResult IsOneValuesRestart(const std::vector<host::HandlerEvent>& events);

// A 32- or 64-bit stereo-in, stereo-out builder.
std::unique_ptr<host::ProcessDataBuilder> StereoBuilder(int maxFrames, Steinberg::int32 sampleSize,
                                                        double sampleRateHz);

// The state holds one double per product parameter, each within the
// parameter's range (as the controller reports min and max).
::testing::AssertionResult StateIsInRange(HostedPlugin& plugin, const std::vector<uint8_t>& state);

// Saves the state and checks it with StateIsInRange.
::testing::AssertionResult SavedStateIsInRange(HostedPlugin& plugin);

// The plain values a state holds.
std::vector<double> StateValues(const std::vector<uint8_t>& state);

} // namespace toneloom::testing
