// Construction, the component calls (buses and parameters declared at
// initialisation, activation), the host calls the plug-in base asks for, and
// the list of open editor views.
#include "IEffectVST3.h"

#include "HostCallScope.h"
#include "HostText.h"
#include "IEffectParameter.h"
#include "Vst3Ids.h"

#include "pluginterfaces/vst/ivstcontextmenu.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivsthostapplication.h"
#include "pluginterfaces/vst/vstspeaker.h"
#include "public.sdk/source/vst/vstparameters.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

namespace toneloom {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

constexpr int32_t kVst3ApiKind = 1;
constexpr int kHostNameSize = kPluginNameSize; // 127 bytes of UTF-8 and a terminator
constexpr int kMaxSideChainChannels = 2;
constexpr int kMaxMainInputChannels = 6;

// A bus name in the host's UTF-16 form.
struct BusTitle
{
    explicit BusTitle(const char* text) { TextToUtf16(text, units, kString128Units); }
    String128 units{};
};

} // namespace

IEffectVST3::IEffectVST3(int paramCount, const char* ioLayoutText, int presetCount,
                         const char* effectName, const char* productName, const char* vendorName,
                         int32_t versionCode, int32_t uniqueId, int32_t vendorId, int32_t latency,
                         bool receivesMidi, bool /*usesChunks*/, bool stereoOutputBuses,
                         int newSideChainChannels)
    : IEffectBase(paramCount, ioLayoutText, presetCount, effectName, productName, vendorName,
                  versionCode, uniqueId, vendorId, latency, receivesMidi, stereoOutputBuses,
                  kVst3ApiKind),
      sideChainChannels(std::max(newSideChainChannels, 0))
{
    SetInputsConnected(0, InputLineCount(), true);
    SetOutputsConnected(0, OutputLineCount(), true);
    if (InputLineCount() >= 1) {
        CreateLatencyDelay();
    }
    SetInputBusName(0, "Main Input");
    if (sideChainChannels > 0) {
        SetInputBusName(1, "Aux Input");
    }
    if (stereoOutputBuses) {
        char name[kPluginNameSize];
        for (int pair = 0; pair < OutputLineCount() / 2; ++pair) {
            std::snprintf(name, sizeof name, "Output %i", pair + 1);
            SetOutputBusName(pair, name);
        }
    } else {
        SetOutputBusName(0, "Output");
    }
    const int lines = std::max(InputLineCount(), OutputLineCount());
    pieceChannels.Resize(lines * static_cast<int32_t>(sizeof(void*)));
    paramsBefore.assign(static_cast<size_t>(ParamCount()), 0.0);
    paramsFromHost.assign(static_cast<size_t>(ParamCount()), 0);
    paramsToReport.assign(static_cast<size_t>(ParamCount()), 0);
    paramsBeforeLoad.assign(static_cast<size_t>(ParamCount()), 0.0);
}

IEffectVST3::~IEffectVST3()
{
    views.Clear();
}

SpeakerArrangement IEffectVST3::DefaultArrangement(int channels)
{
    switch (channels) {
    case 1:
        return SpeakerArr::kMono; // 0x80000
    case 2:
        return SpeakerArr::kStereo; // 3
    case 3:
        return SpeakerArr::k30Music; // left, right, surround: 259
    case 4:
        return SpeakerArr::kAmbi1stOrderACN; // 0xF00000
    case 5:
        return SpeakerArr::k50; // 55
    case 6:
        return SpeakerArr::k51; // 63
    default:
        return SpeakerArr::kEmpty;
    }
}

// Component.

tresult PLUGIN_API IEffectVST3::initialize(FUnknown* context)
{
    HostCallScope hostCall;
    try {
        const tresult sdkResult = SingleComponentEffect::initialize(context);
        FUnknownPtr<IHostApplication> hostApplication(context);
        if (hostApplication) {
            String128 hostName{};
            if (hostApplication->getName(hostName) == kResultOk) {
                char name[kHostNameSize];
                Utf16ToText(hostName, kString128Units, name, sizeof name);
                SetHostFromName(name, 0);
            }
        }
        if (sdkResult != kResultOk) {
            return sdkResult;
        }
        {
            InstanceLock lock(Mutex());
            DeclareBuses();
            DeclareParameters();
            HostIdentified();
        }
        idleTimer = HostIdleTimer::Start(context, [this] { DeliverHeldRestart(); });
        return kResultOk;
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    } catch (...) {
        return kInternalError;
    }
}

void IEffectVST3::DeclareBuses()
{
    const int sideChain = std::min(sideChainChannels, kMaxSideChainChannels);
    const int mainInputs = InputLineCount() - sideChainChannels;
    if (mainInputs >= 1 && mainInputs <= kMaxMainInputChannels) {
        addAudioInput(BusTitle(InputBusName(0)).units, DefaultArrangement(mainInputs), kMain,
                      BusInfo::kDefaultActive);
    }
    if (StereoOutputBuses()) {
        for (int pair = 0; pair < OutputLineCount() / 2; ++pair) {
            addAudioOutput(BusTitle(OutputBusName(pair)).units, SpeakerArr::kStereo, kMain,
                           BusInfo::kDefaultActive);
        }
    } else {
        addAudioOutput(BusTitle(OutputBusName(0)).units, DefaultArrangement(OutputLineCount()),
                       kMain, BusInfo::kDefaultActive);
    }
    if (sideChain > 0) {
        addAudioInput(BusTitle(InputBusName(1)).units, DefaultArrangement(sideChain), kAux, 0);
    }
    if (ReceivesMidi()) {
        addEventInput(STR16("MIDI Input"), 1, kMain, BusInfo::kDefaultActive);
    }
}

void IEffectVST3::DeclareParameters()
{
    if (PresetCount() > 0) {
        auto* presetList = new StringListParameter(
            STR16("Presets"), kPresetParamId, nullptr,
            ParameterInfo::kIsList | ParameterInfo::kIsProgramChange, kRootUnitId);
        // Hosts take the program names from the program list "Factory Presets".
        String128 noName{};
        for (int i = 0; i < PresetCount(); ++i) {
            presetList->appendString(noName);
        }
        parameters.addParameter(presetList);
    }
    PointerArray<const char>& groups = ParamGroups();
    for (int i = 0; i < ParamCount(); ++i) {
        IParamRecord* record = ParamAt(i);
        UnitID unit = kRootUnitId;
        if (record->Group()[0] != '\0') {
            int position = -1;
            for (int g = 0; g < groups.Length() && position < 0; ++g) {
                if (std::strcmp(groups.Get(g), record->Group()) == 0) {
                    position = g;
                }
            }
            if (position < 0 && groups.Append(record->Group())) {
                position = groups.Length() - 1;
            }
            unit = position + 1;
        }
        parameters.addParameter(new IEffectParameter(record, i, unit));
        ParameterChanged(i);
    }
}

tresult PLUGIN_API IEffectVST3::terminate()
{
    HostCallScope hostCall;
    idleTimer.reset();
    InstanceLock lock(Mutex());
    views.Clear();
    return SingleComponentEffect::terminate();
}

tresult PLUGIN_API IEffectVST3::activateBus(MediaType type, BusDirection dir, int32 index,
                                            TBool state)
{
    HostCallScope hostCall;
    InstanceLock lock(Mutex());
    return SingleComponentEffect::activateBus(type, dir, index, state);
}

tresult PLUGIN_API IEffectVST3::setActive(TBool state)
{
    HostCallScope hostCall;
    ActivationChanged(state != 0);
    return kResultOk;
}

// Services to the plug-in base.

bool IEffectVST3::InProcessCall() const
{
    return processThread.load(std::memory_order_relaxed) == std::this_thread::get_id();
}

// Edits made inside the process call (the engine's reactions to a host
// change) reach the host as output parameter changes of that call instead.
// Inside any other host call the handler is not called either: the value
// goes out with the next process call, and a restart once the call is over.

void IEffectVST3::NotifyEditBegin(int index)
{
    if (!InProcessCall() && !HostCallScope::Inside()) {
        beginEdit(static_cast<ParamID>(index));
    }
}

void IEffectVST3::NotifyEditValue(int index, double normalised)
{
    if (InProcessCall()) {
        return;
    }
    if (HostCallScope::Inside()) {
        {
            InstanceLock lock(Mutex());
            if (index >= 0 && index < ParamCount()) {
                paramsToReport[static_cast<size_t>(index)] = 1;
            }
        }
        RestartHostComponent(kParamValuesChanged);
        return;
    }
    performEdit(static_cast<ParamID>(index), normalised);
}

void IEffectVST3::NotifyEditEnd(int index)
{
    if (!InProcessCall() && !HostCallScope::Inside()) {
        endEdit(static_cast<ParamID>(index));
    }
}

void IEffectVST3::RestartHostComponent(int32 flags)
{
    if (InProcessCall() || HostCallScope::Inside() || componentHandler == nullptr) {
        heldRestartFlags.fetch_or(flags, std::memory_order_acq_rel);
        return;
    }
    componentHandler->restartComponent(flags | heldRestartFlags.exchange(0));
}

void IEffectVST3::DeliverHeldRestart()
{
    if (InProcessCall() || HostCallScope::Inside() || componentHandler == nullptr ||
        heldRestartFlags.load(std::memory_order_acquire) == 0) {
        return;
    }
    const int32 flags = heldRestartFlags.exchange(0, std::memory_order_acq_rel);
    if (flags != 0) {
        componentHandler->restartComponent(flags);
    }
}

void IEffectVST3::EditorTick()
{
    DeliverHeldRestart();
}

void IEffectVST3::ShowHostContextMenu(int index, int x, int y)
{
    IEffectVST3ViewLink* view = views.Get(0);
    if (componentHandler == nullptr || view == nullptr) {
        return;
    }
    FUnknownPtr<IComponentHandler3> handler(componentHandler);
    if (!handler) {
        return;
    }
    const ParamID id = static_cast<ParamID>(index);
    IContextMenu* menu = handler->createContextMenu(view->PlugView(), &id);
    if (menu != nullptr) {
        menu->popup(static_cast<UCoord>(x), static_cast<UCoord>(y));
        menu->release();
    }
}

void IEffectVST3::ResizeEditor(int width, int height)
{
    IEffectVST3ViewLink* view = views.Get(0);
    if (Editor() == nullptr || view == nullptr) {
        return;
    }
    view->ExpectResize();
    IPlugFrame* frame = view->HostFrame();
    if (frame != nullptr) {
        ViewRect size(0, 0, width, height);
        frame->resizeView(view->PlugView(), &size);
    }
}

void IEffectVST3::ChangeLatency(int samples)
{
    IEffectBase::ChangeLatency(samples);
    RestartHostComponent(kLatencyChanged);
}

void IEffectVST3::AddView(IEffectVST3ViewLink* view)
{
    if (view != nullptr) {
        views.Append(view);
    }
}

void IEffectVST3::RemoveView(IEffectVST3ViewLink* view)
{
    for (int i = views.Length() - 1; i >= 0; --i) {
        if (views.Get(i) == view) {
            views.Remove(i);
        }
    }
}

tresult PLUGIN_API IEffectVST3::queryInterface(const TUID iid, void** obj)
{
    QUERY_INTERFACE(iid, obj, IUnitInfo::iid, IUnitInfo)
    return SingleComponentEffect::queryInterface(iid, obj);
}

} // namespace toneloom
