#include "ModuleHost.h"

#include "HostText.h"
#include "Vst3Ids.h"

#include <cmath>
#include <cstring>
#include <map>

namespace toneloom::testing {

using namespace Steinberg;
using namespace Steinberg::Vst;

std::string ToneloomBundle()
{
    return TONELOOM_BUNDLE_DIR;
}

std::string AdapterTestBundle()
{
    return ADAPTER_TEST_BUNDLE_DIR;
}

host::HostModule& LoadedModule(const std::string& bundle)
{
    static std::map<std::string, std::unique_ptr<host::HostModule>> modules;
    auto& module = modules[bundle];
    if (!module) {
        module = std::make_unique<host::HostModule>();
        if (!module->Load(bundle)) {
            ADD_FAILURE() << "cannot load " << bundle << ": " << module->Error();
        }
    }
    return *module;
}

HostedPlugin::HostedPlugin(const std::string& bundle)
    : application(owned(new host::HostApplication("Toneloom Test Host"))),
      handler(owned(new host::RecordingComponentHandler))
{
    host::HostModule& module = LoadedModule(bundle);
    TUID classId = {};
    module.FindClass(kVstAudioEffectClass, classId);
    instance = std::make_unique<host::PluginInstance>(module.Factory(), classId);
}

bool HostedPlugin::Start(double sampleRateHz, int maxBlockFrames, int32 sampleSize)
{
    if (!instance->Valid() || instance->Initialize(application->unknownCast()) != kResultOk) {
        return false;
    }
    if (Controller() != nullptr) {
        Controller()->setComponentHandler(handler);
    }
    instance->ActivateDefaultBuses();
    return instance->Setup(sampleRateHz, maxBlockFrames, sampleSize) == kResultOk &&
           instance->SetActive(true) == kResultOk;
}

int ProgramSlot(HostedPlugin& plugin, const std::string& name)
{
    String128 text{};
    ProgramListInfo list{};
    if (plugin.Plugin().Units() != nullptr &&
        plugin.Plugin().Units()->getProgramListInfo(0, list) == kResultOk) {
        for (int32 slot = 0; slot < list.programCount; ++slot) {
            if (plugin.Plugin().Units()->getProgramName(list.id, slot, text) == kResultOk &&
                Utf16ToUtf8(text) == name) {
                return slot;
            }
        }
    }
    ADD_FAILURE() << "no program " << name;
    return 0;
}

tresult PickProgramHoldingTheHostLock(HostedPlugin& plugin, const std::string& name)
{
    const int slot = ProgramSlot(plugin, name);
    ProgramListInfo list{};
    if (plugin.Plugin().Units()->getProgramListInfo(0, list) != kResultOk ||
        list.programCount < 2) {
        return kResultFalse;
    }
    const double normalised = static_cast<double>(slot) / (list.programCount - 1);
    return plugin.handler->Locked(
        [&] { return plugin.Controller()->setParamNormalized(kPresetParamId, normalised); });
}

::testing::AssertionResult IsOneValuesRestart(const std::vector<host::HandlerEvent>& events)
{
    if (events.size() != 1 || events[0].kind != host::HandlerEvent::kRestart ||
        events[0].flags != kParamValuesChanged) {
        return ::testing::AssertionFailure()
               << events.size() << " events, not one restart with kParamValuesChanged";
    }
    return ::testing::AssertionSuccess();
}

int HostedPlugin::ProductParamCount()
{
    int count = 0;
    const int32 all = Controller()->getParameterCount();
    for (int32 i = 0; i < all; ++i) {
        ParameterInfo info{};
        if (Controller()->getParameterInfo(i, info) == kResultOk && info.id != kPresetParamId) {
            ++count;
        }
    }
    return count;
}

StereoOut HostedPlugin::Render(host::ProcessDataBuilder& data, int frames, int blockFrames)
{
    StereoOut out;
    out.left.reserve(static_cast<size_t>(frames));
    out.right.reserve(static_cast<size_t>(frames));
    const bool wide = data.SampleSize() == kSample64;
    for (int done = 0; done < frames;) {
        const int block = std::min(blockFrames, frames - done);
        instance->Process(data.Block(block));
        for (int s = 0; s < block; ++s) {
            out.left.push_back(wide ? data.Output64(0, 0)[s] : data.Output32(0, 0)[s]);
            out.right.push_back(wide ? data.Output64(0, 1)[s] : data.Output32(0, 1)[s]);
        }
        data.Advance(block);
        done += block;
    }
    return out;
}

std::unique_ptr<host::ProcessDataBuilder> StereoBuilder(int maxFrames, int32 sampleSize,
                                                        double sampleRateHz)
{
    auto builder = std::make_unique<host::ProcessDataBuilder>(
        std::vector<int>{2}, std::vector<int>{2}, maxFrames, sampleSize, sampleRateHz);
    builder->SetPlaying(true);
    return builder;
}

std::vector<double> StateValues(const std::vector<uint8_t>& state)
{
    std::vector<double> values(state.size() / sizeof(double));
    if (!values.empty()) {
        std::memcpy(values.data(), state.data(), values.size() * sizeof(double));
    }
    return values;
}

::testing::AssertionResult StateIsInRange(HostedPlugin& plugin, const std::vector<uint8_t>& state)
{
    const int params = plugin.ProductParamCount();
    if (state.size() != static_cast<size_t>(params) * sizeof(double)) {
        return ::testing::AssertionFailure()
               << "state of " << state.size() << " bytes for " << params << " parameters";
    }
    const std::vector<double> values = StateValues(state);
    for (int i = 0; i < params; ++i) {
        const double low =
            plugin.Controller()->normalizedParamToPlain(static_cast<ParamID>(i), 0.0);
        const double high =
            plugin.Controller()->normalizedParamToPlain(static_cast<ParamID>(i), 1.0);
        const double v = values[static_cast<size_t>(i)];
        if (!std::isfinite(v) || v < low || v > high) {
            return ::testing::AssertionFailure() << "parameter " << i << " holds " << v
                                                 << " outside [" << low << ", " << high << "]";
        }
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult SavedStateIsInRange(HostedPlugin& plugin)
{
    std::vector<uint8_t> state;
    if (!plugin.Plugin().SaveState(&state)) {
        return ::testing::AssertionFailure() << "getState failed";
    }
    return StateIsInRange(plugin, state);
}

} // namespace toneloom::testing
