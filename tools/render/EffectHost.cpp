#include "EffectHost.h"

#include "HostText.h"
#include "Vst3Ids.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstunits.h"

#include <algorithm>
#include <cstdlib>

namespace toneloom {

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

constexpr int kStereo = 2;

std::string Utf8(const String128 text)
{
    char out[512];
    Utf16ToText(text, 128, out, sizeof out);
    return out;
}

} // namespace

EffectHost::EffectHost() = default;

EffectHost::~EffectHost()
{
    Close();
}

void EffectHost::Close()
{
    blocks.reset();
    parameters.reset();
    instance.reset();
    application.reset();
    presetNames.clear();
}

bool EffectHost::Create(IPluginFactory* factory, const TUID classId)
{
    instance = std::make_unique<host::PluginInstance>(factory, classId);
    return instance->Valid() && instance->Controller() != nullptr;
}

bool EffectHost::Start(const std::string& hostName, int sampleRateHz, int newBlockFrames,
                       std::string* error, int32 newProcessMode)
{
    application = std::make_unique<host::HostApplication>(hostName);
    if (instance->Initialize(application->unknownCast()) != kResultOk) {
        *error = "the plug-in refused to initialise";
        return false;
    }
    instance->ActivateDefaultBuses();
    processMode = newProcessMode;
    if (!SetUpAndActivate(sampleRateHz, newBlockFrames, error)) {
        return false;
    }
    parameters = std::make_unique<ParameterCatalogue>(instance->Controller());
    if (IUnitInfo* units = instance->Units()) {
        ProgramListInfo list{};
        if (units->getProgramListCount() > 0 && units->getProgramListInfo(0, list) == kResultOk) {
            for (int32 slot = 0; slot < list.programCount; ++slot) {
                String128 name{};
                units->getProgramName(list.id, slot, name);
                presetNames.push_back(Utf8(name));
            }
        }
    }
    return true;
}

bool EffectHost::Restart(int sampleRateHz, int newBlockFrames, std::string* error)
{
    instance->SetActive(false);
    blocks.reset();
    return SetUpAndActivate(sampleRateHz, newBlockFrames, error);
}

bool EffectHost::SetUpAndActivate(int sampleRateHz, int newBlockFrames, std::string* error)
{
    if (instance->Setup(sampleRateHz, newBlockFrames, kSample32, processMode) != kResultOk) {
        *error = "the plug-in refused " + std::to_string(sampleRateHz) + " Hz in blocks of " +
                 std::to_string(newBlockFrames);
        return false;
    }
    if (instance->SetActive(true) != kResultOk) {
        *error = "the plug-in refused to start";
        return false;
    }
    sampleRate = sampleRateHz;
    blockFrames = newBlockFrames;

    // One stereo bus each way, as the plug-in declares; the input stays silent.
    std::vector<int> inputs;
    for (int32 i = 0, n = instance->Component()->getBusCount(kAudio, kInput); i < n; ++i) {
        BusInfo info{};
        instance->Component()->getBusInfo(kAudio, kInput, i, info);
        inputs.push_back(info.channelCount);
    }
    blocks = std::make_unique<host::ProcessDataBuilder>(inputs, std::vector<int>{kStereo},
                                                        blockFrames, kSample32, sampleRateHz);
    // Every process call says what the setup said. Offline (the tools that
    // write files): no phase re-alignment by the wall clock, so equal settings
    // give equal samples and equal pictures.
    blocks->Data().processMode = processMode;
    return true;
}

bool EffectHost::FindPreset(const std::string& text, int* slot, std::string* error) const
{
    const auto named = std::find(presetNames.begin(), presetNames.end(), text);
    if (named != presetNames.end()) {
        *slot = static_cast<int>(named - presetNames.begin());
        return true;
    }
    char* end = nullptr;
    const long number = std::strtol(text.c_str(), &end, 10);
    if (!text.empty() && *end == '\0') {
        if (number >= 0 && number < static_cast<long>(presetNames.size())) {
            *slot = static_cast<int>(number);
            return true;
        }
        *error = "no preset slot " + text + " (slots are 0 to " +
                 std::to_string(static_cast<int>(presetNames.size()) - 1) + ")";
        return false;
    }
    *error = "unknown preset \"" + text + "\" (--list-presets shows them)";
    return false;
}

bool EffectHost::ProcessWithoutAudio(std::string* error)
{
    // A block of no samples carries only the parameter changes.
    ProcessData& data = blocks->Block(0);
    const tresult result = instance->Process(data);
    blocks->Advance(0);
    if (result != kResultOk) {
        *error = "the plug-in refused a parameter change";
        return false;
    }
    return true;
}

bool EffectHost::SelectPreset(int slot, std::string* error)
{
    const int last = static_cast<int>(presetNames.size()) - 1;
    if (slot < 0 || slot > last || last < 1) {
        *error = "no preset slot " + std::to_string(slot);
        return false;
    }
    blocks->Changes().Add(kPresetParamId, 0, double(slot) / last);
    return ProcessWithoutAudio(error);
}

bool EffectHost::ApplyChange(ParamID id, double normalised, std::string* error)
{
    blocks->Changes().Add(id, 0, normalised);
    return ProcessWithoutAudio(error);
}

bool EffectHost::ApplyPresetAndSettings(const std::string& preset,
                                        const std::vector<std::string>& settings,
                                        std::string* error)
{
    if (!preset.empty()) {
        int slot = 0;
        if (!FindPreset(preset, &slot, error) || !SelectPreset(slot, error)) {
            return false;
        }
    }
    for (const std::string& setting : settings) {
        ParamID id = 0;
        double normalised = 0.0;
        if (!parameters->Resolve(setting, &id, &normalised, error) ||
            !ApplyChange(id, normalised, error)) {
            return false;
        }
    }
    return true;
}

} // namespace toneloom
