#include "SnapshotSession.h"

#include "HostText.h"
#include "IEffectVST3.h"
#include "IGraphicsHeadless.h"
#include "PlatformGraphics.h"
#include "Vst3Ids.h"

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstunits.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace toneloom {

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

constexpr int kStereo = 2;
constexpr int kDragSteps = 8; // pointer moves a drag is delivered in

std::string Utf8(const String128 text)
{
    char out[512];
    Utf16ToText(text, 128, out, sizeof out);
    return out;
}

} // namespace

SnapshotSession::SnapshotSession() = default;

SnapshotSession::~SnapshotSession()
{
    // The instance (and with it the editor) goes before the factory.
    editor = nullptr;
    blocks.reset();
    parameters.reset();
    instance.reset();
    application.reset();
    if (factory != nullptr) {
        factory->release();
    }
}

bool SnapshotSession::Open(int sampleRateHz, int newBlockFrames, std::string* error)
{
    // Editors made from here on draw into memory, never onto a display.
    SetGraphicsPlatform(GraphicsPlatform::kHeadless);
    factory = GetPluginFactory();
    if (factory == nullptr) {
        *error = "the plug-in's factory is missing";
        return false;
    }
    std::memcpy(classId, kToneloomClassIdBytes.data(), sizeof classId);
    instance = std::make_unique<host::PluginInstance>(factory, classId);
    if (!instance->Valid() || instance->Controller() == nullptr) {
        *error = "the plug-in did not create its effect";
        return false;
    }
    auto* effect = dynamic_cast<IEffectVST3*>(instance->Component());
    editor = effect != nullptr ? dynamic_cast<IGraphicsHeadless*>(effect->Editor()) : nullptr;
    if (editor == nullptr) {
        *error = "the plug-in built no editor";
        return false;
    }
    application = std::make_unique<host::HostApplication>("toneloom-snapshot");
    if (instance->Initialize(application->unknownCast()) != kResultOk) {
        *error = "the plug-in refused to initialise";
        return false;
    }
    instance->ActivateDefaultBuses();
    if (instance->Setup(sampleRateHz, newBlockFrames, kSample32, kOffline) != kResultOk ||
        instance->SetActive(true) != kResultOk) {
        *error = "the plug-in refused to start";
        return false;
    }
    sampleRate = sampleRateHz;
    blockFrames = newBlockFrames;

    std::vector<int> inputs;
    for (int32 i = 0, n = instance->Component()->getBusCount(kAudio, kInput); i < n; ++i) {
        BusInfo info{};
        instance->Component()->getBusInfo(kAudio, kInput, i, info);
        inputs.push_back(info.channelCount);
    }
    blocks = std::make_unique<host::ProcessDataBuilder>(inputs, std::vector<int>{kStereo},
                                                        blockFrames, kSample32, sampleRateHz);
    // Offline: no re-alignment by the wall clock, so equal options give equal pictures.
    blocks->Data().processMode = kOffline;

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
    // A first block: the engine now runs as in a playing host (a click on a
    // sync switch, for one, converts the LFO's speed only then).
    return ProcessBlock(blockFrames, error);
}

bool SnapshotSession::FindPreset(const std::string& text, int* slot, std::string* error) const
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

bool SnapshotSession::ProcessBlock(int frames, std::string* error)
{
    const tresult result = instance->Process(blocks->Block(frames));
    blocks->Advance(frames);
    if (result != kResultOk) {
        *error = "the plug-in refused to process";
        return false;
    }
    return true;
}

bool SnapshotSession::ProcessWithoutAudio(std::string* error)
{
    // A block of no samples carries only the parameter changes.
    if (!ProcessBlock(0, error)) {
        *error = "the plug-in refused a parameter change";
        return false;
    }
    return true;
}

bool SnapshotSession::SelectPreset(int slot, std::string* error)
{
    const int last = static_cast<int>(presetNames.size()) - 1;
    if (slot < 0 || slot > last || last < 1) {
        *error = "no preset slot " + std::to_string(slot);
        return false;
    }
    blocks->Changes().Add(kPresetParamId, 0, double(slot) / last);
    return ProcessWithoutAudio(error);
}

bool SnapshotSession::ApplyChange(ParamID id, double normalised, std::string* error)
{
    blocks->Changes().Add(id, 0, normalised);
    return ProcessWithoutAudio(error);
}

void SnapshotSession::OpenEditor()
{
    editor->OpenWindow(nullptr);
    editor->Tick();
}

bool SnapshotSession::Perform(const MouseAction& action, std::string* error)
{
    if (action.x < 0 || action.y < 0 || action.x >= editor->Width() ||
        action.y >= editor->Height()) {
        *error = std::to_string(action.x) + "," + std::to_string(action.y) + " lies outside the " +
                 std::to_string(editor->Width()) + " x " + std::to_string(editor->Height()) +
                 " editor";
        return false;
    }
    IMouseKeys keys;
    keys.left = action.kind != MouseAction::kRightClick;
    keys.right = action.kind == MouseAction::kRightClick;
    editor->MouseHover(action.x, action.y, IMouseKeys());
    editor->MouseDown(action.x, action.y, keys);
    int x = action.x;
    int y = action.y;
    if (action.kind == MouseAction::kDrag) {
        // In even steps, as a hand would; the pointer may leave the editor.
        for (int step = 1; step <= kDragSteps; ++step) {
            x = action.x + action.dx * step / kDragSteps;
            y = action.y + action.dy * step / kDragSteps;
            editor->MouseDrag(x, y, keys);
        }
    }
    editor->MouseUp(x, y, keys);
    editor->Tick();
    return true;
}

bool SnapshotSession::Play(double seconds, double tempoBpm, std::string* error)
{
    blocks->SetTempo(tempoBpm);
    blocks->SetPlaying(true);
    const auto total = static_cast<int64_t>(std::llround(seconds * sampleRate));
    const int64_t framesPerTick =
        std::max<int64_t>(1, static_cast<int64_t>(editor->TimerPeriodMs()) * sampleRate / 1000);
    int64_t sinceTick = 0;
    for (int64_t done = 0; done < total;) {
        const int frames = static_cast<int>(std::min<int64_t>(blockFrames, total - done));
        if (!ProcessBlock(frames, error)) {
            return false;
        }
        done += frames;
        sinceTick += frames;
        if (sinceTick >= framesPerTick) {
            sinceTick -= framesPerTick;
            editor->Tick();
        }
    }
    return true;
}

const PX_IBitmap& SnapshotSession::Picture()
{
    editor->InvalidateAll();
    editor->Tick();
    return editor->Screen();
}

} // namespace toneloom
