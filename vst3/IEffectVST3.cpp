#include "IEffectVST3.h"

#include "HostKind.h"
#include "HostText.h"
#include "IEffectParameter.h"
#include "Vst3Ids.h"

#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/vst/ivstcontextmenu.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivsthostapplication.h"
#include "pluginterfaces/vst/vstspeaker.h"
#include "public.sdk/source/vst/vstparameters.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

namespace toneloom {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

constexpr int32_t kVst3ApiKind = 1;
constexpr int kString128Units = 128;
constexpr int kHostNameSize = kPluginNameSize; // 127 bytes of UTF-8 and a terminator
constexpr int kMaxSideChainChannels = 2;
constexpr int kMaxMainInputChannels = 6;
// The largest block the scratch buffers are sized for, in samples; a host
// that sets up more gets its blocks rendered in pieces of this size.
constexpr int kMaxScratchFrames = 1 << 16;
// The most bytes setState reads from a host stream; a parameter record is
// 8 bytes per parameter, so this only stops a stream that never ends.
constexpr int32_t kMaxStateBytes = 1 << 20;
constexpr int32 kStateReadPieceBytes = 128;
constexpr int kTrailerBytes = 4;
constexpr int kLiveLineBits = 64;
constexpr int kMidiChannelMask = 0x0F;
constexpr int kMidiDataMax = 127;
constexpr uint8_t kMidiNoteOn = 0x90;
constexpr uint8_t kMidiNoteOff = 0x80;

// The speaker arrangement declared for a bus of `channels` channels.
SpeakerArrangement DefaultArrangement(int channels)
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

int SetBits(SpeakerArrangement arrangement)
{
    int count = 0;
    for (uint64 bits = static_cast<uint64>(arrangement); bits != 0; bits &= bits - 1) {
        ++count;
    }
    return count;
}

// A bus name in the host's UTF-16 form.
struct BusTitle
{
    explicit BusTitle(const char* text) { TextToUtf16(text, units, kString128Units); }
    String128 units{};
};

uint64_t LineBits(int firstLine, int count)
{
    uint64_t bits = 0;
    for (int line = firstLine; line < firstLine + count && line < kLiveLineBits; ++line) {
        bits |= uint64_t{1} << line;
    }
    return bits;
}

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
}

IEffectVST3::~IEffectVST3()
{
    views.Clear();
}

// Component.

tresult PLUGIN_API IEffectVST3::initialize(FUnknown* context)
{
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
        InstanceLock lock(Mutex());
        DeclareBuses();
        DeclareParameters();
        HostIdentified();
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
    InstanceLock lock(Mutex());
    views.Clear();
    return SingleComponentEffect::terminate();
}

tresult PLUGIN_API IEffectVST3::activateBus(MediaType type, BusDirection dir, int32 index,
                                            TBool state)
{
    InstanceLock lock(Mutex());
    return SingleComponentEffect::activateBus(type, dir, index, state);
}

tresult PLUGIN_API IEffectVST3::setActive(TBool state)
{
    ActivationChanged(state != 0);
    return kResultOk;
}

tresult IEffectVST3::LoadComponentState(IBStream* state)
{
    if (state == nullptr) {
        return kInvalidArgument;
    }
    InstanceLock lock(Mutex());
    int64 start = 0;
    if (state->tell(&start) != kResultOk || start < 0) {
        start = 0;
    }
    StateChunk chunk;
    uint8_t piece[kStateReadPieceBytes];
    while (chunk.Size() < kMaxStateBytes) {
        int32 read = 0;
        const tresult result = state->read(piece, kStateReadPieceBytes, &read);
        if (read <= 0) {
            break;
        }
        read = std::min(read, kStateReadPieceBytes);
        // Some hosts report an error on a read that did deliver bytes.
        if (result != kResultOk && GetHostKind() != kHostWaveLab) {
            break;
        }
        if (!chunk.PutBytes(piece, read)) {
            break;
        }
    }
    const int position = LoadState(&chunk, 0);
    RefreshParamControls();
    if (position < 0) {
        return kResultFalse;
    }
    // Leave the stream after the record and read the optional 4-byte trailer
    // (its value is not used). Whether it is there does not matter: the
    // record was applied.
    int32 trailer = 0;
    int32 trailerRead = 0;
    if (state->seek(start + position, IBStream::kIBSeekSet, nullptr) == kResultOk) {
        state->read(&trailer, kTrailerBytes, &trailerRead);
    }
    return kResultOk;
}

tresult IEffectVST3::SaveComponentState(IBStream* state)
{
    if (state == nullptr) {
        return kInvalidArgument;
    }
    InstanceLock lock(Mutex());
    StateChunk chunk;
    if (SaveState(&chunk)) {
        int32 written = 0;
        const tresult result =
            state->write(const_cast<uint8_t*>(chunk.Data()), chunk.Size(), &written);
        return result == kResultOk && written == chunk.Size() ? kResultOk : kResultFalse;
    }
    int32 bypassFlag = Bypassed() ? 1 : 0;
    int32 written = 0;
    state->write(&bypassFlag, sizeof bypassFlag, &written);
    return kResultFalse;
}

tresult IEffectVST3::LoadControllerState(IBStream*)
{
    InstanceLock lock(Mutex());
    return kResultOk;
}

tresult IEffectVST3::SaveControllerState(IBStream*)
{
    InstanceLock lock(Mutex());
    return kResultOk;
}

// Processor.

tresult PLUGIN_API IEffectVST3::canProcessSampleSize(int32 symbolicSampleSize)
{
    return symbolicSampleSize == kSample32 || symbolicSampleSize == kSample64 ? kResultTrue
                                                                              : kResultFalse;
}

tresult PLUGIN_API IEffectVST3::setupProcessing(ProcessSetup& setup)
{
    if (setup.symbolicSampleSize != kSample32 && setup.symbolicSampleSize != kSample64) {
        return kResultFalse;
    }
    if (!std::isfinite(setup.sampleRate) || setup.sampleRate <= 0.0 ||
        setup.maxSamplesPerBlock < 1) {
        return kResultFalse;
    }
    InstanceLock lock(Mutex());
    SetBypassed(false);
    SetSampleRate(setup.sampleRate);
    ChangeBlockSize(std::min(setup.maxSamplesPerBlock, kMaxScratchFrames));
    OnReset();
    return SingleComponentEffect::setupProcessing(setup);
}

uint32 PLUGIN_API IEffectVST3::getLatencySamples()
{
    return static_cast<uint32>(std::max(Latency(), 0));
}

uint32 PLUGIN_API IEffectVST3::getTailSamples()
{
    return static_cast<uint32>(std::max(TailSamples(), 0));
}

tresult PLUGIN_API IEffectVST3::setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                   SpeakerArrangement* outputs, int32 numOuts)
{
    InstanceLock lock(Mutex());
    SetInputsConnected(0, InputLineCount(), false);
    SetOutputsConnected(0, OutputLineCount(), false);
    const int inputChannels = numIns >= 1 && inputs != nullptr ? SetBits(inputs[0]) : 0;
    const int outputChannels = numOuts >= 1 && outputs != nullptr ? SetBits(outputs[0]) : 0;
    if (!IoLayoutSupported(inputChannels, outputChannels)) {
        return kResultFalse;
    }
    // A replaced bus keeps the activation the host gave the old one.
    auto replaceIfCountDiffers = [](BusList& list, size_t index, int channels, const TChar* name,
                                    BusType busType, int32 flags) {
        if (index >= list.size()) {
            return;
        }
        auto* bus = FCast<AudioBus>(list[index].get());
        if (bus == nullptr || SpeakerArr::getChannelCount(bus->getArrangement()) == channels) {
            return;
        }
        AudioBus* replacement = nullptr;
        try {
            replacement = new AudioBus(name, busType, flags, DefaultArrangement(channels));
        } catch (...) {
            return; // out of memory: the old bus stays
        }
        replacement->setActive(bus->isActive());
        list[index] = IPtr<Bus>(replacement, false);
    };
    replaceIfCountDiffers(audioInputs, 0, inputChannels, STR16("Input"), kMain,
                          BusInfo::kDefaultActive);
    replaceIfCountDiffers(audioOutputs, 0, outputChannels, STR16("Output"), kMain,
                          BusInfo::kDefaultActive);
    if (sideChainChannels <= 0) {
        return numIns == 1 ? kResultOk : kResultFalse;
    }
    if (numIns != 2 || inputs == nullptr) {
        return kResultFalse;
    }
    replaceIfCountDiffers(audioInputs, 1, SetBits(inputs[1]), STR16("Sidechain Input"), kAux, 0);
    return kResultOk;
}

tresult PLUGIN_API IEffectVST3::process(ProcessData& data)
{
    InstanceLock lock(Mutex());
    KeepProcessContext(data.processContext);
    ApplyParameterChanges(data.inputParameterChanges);
    if (ReceivesMidi()) {
        ForwardMidiEvents(data.inputEvents);
    }
    const int frames = data.numSamples;
    if (frames <= 0) {
        return kResultOk;
    }
    if (data.symbolicSampleSize != kSample32 && data.symbolicSampleSize != kSample64) {
        return kInvalidArgument;
    }
    if (BlockSize() < 1) {
        // Not set up: there are no scratch buffers to render into.
        SilenceOutputs(data);
        return kNotInitialized;
    }
    const bool wide = data.symbolicSampleSize == kSample64;
    for (int done = 0; done < frames;) {
        const int piece = std::min(frames - done, BlockSize());
        BindInputPiece(data, done, piece, wide);
        BindOutputPiece(data, done, wide);
        if (Bypassed()) {
            wide ? RunBypass(piece) : RunBypassFloat(piece);
        } else {
            wide ? RunProcess(piece) : RunProcessFloat(piece);
        }
        done += piece;
    }
    return kResultOk;
}

void IEffectVST3::KeepProcessContext(const ProcessContext* context)
{
    if (context == nullptr) {
        return;
    }
    const ProcessContext previous = processContext;
    processContext = *context;
    // Values a host got wrong keep what the last good context said.
    auto keepFinite = [](double& value, double before) {
        if (!std::isfinite(value)) {
            value = before;
        }
    };
    keepFinite(processContext.sampleRate, previous.sampleRate);
    keepFinite(processContext.projectTimeMusic, previous.projectTimeMusic);
    keepFinite(processContext.barPositionMusic, previous.barPositionMusic);
    keepFinite(processContext.cycleStartMusic, previous.cycleStartMusic);
    keepFinite(processContext.cycleEndMusic, previous.cycleEndMusic);
    keepFinite(processContext.tempo, previous.tempo);
    if (processContext.timeSigNumerator <= 0 || processContext.timeSigDenominator <= 0) {
        processContext.timeSigNumerator = previous.timeSigNumerator;
        processContext.timeSigDenominator = previous.timeSigDenominator;
    }
}

void IEffectVST3::ApplyParameterChanges(IParameterChanges* changes)
{
    if (changes == nullptr) {
        return;
    }
    const int32 queues = changes->getParameterCount();
    for (int32 i = 0; i < queues; ++i) {
        IParamValueQueue* queue = changes->getParameterData(i);
        if (queue == nullptr) {
            continue;
        }
        const int32 points = queue->getPointCount();
        if (points <= 0) {
            continue;
        }
        // Once per block, before the audio: the last point wins.
        int32 offset = 0;
        ParamValue value = 0.0;
        if (queue->getPoint(points - 1, offset, value) != kResultOk || !std::isfinite(value)) {
            continue;
        }
        ApplyNormalised(queue->getParameterId(), std::clamp(value, 0.0, 1.0));
    }
}

void IEffectVST3::ApplyNormalised(ParamID id, double normalised)
{
    if (id == kBypassParamId) {
        SetBypassed(normalised > 0.5);
    } else if (id == kPresetParamId) {
        if (PresetCount() > 0) {
            LoadPreset(PresetIndexFor(normalised));
        }
    } else if (id < static_cast<ParamID>(ParamCount())) {
        const int index = static_cast<int>(id);
        ParamAt(index)->SetFromNormalised(normalised);
        if (Editor() != nullptr) {
            Editor()->PushParamToControls(index, normalised, true);
        }
        ParameterChanged(index);
    }
}

void IEffectVST3::ForwardMidiEvents(IEventList* events)
{
    if (events == nullptr) {
        return;
    }
    const int32 count = events->getEventCount();
    for (int32 i = 0; i < count; ++i) {
        Event event{};
        if (events->getEvent(i, event) != kResultOk) {
            continue;
        }
        MidiMessage message;
        message.offsetFrames = event.sampleOffset;
        if (event.type == Event::kNoteOnEvent) {
            const float velocity = std::isfinite(event.noteOn.velocity)
                                       ? std::clamp(event.noteOn.velocity, 0.0f, 1.0f)
                                       : 0.0f;
            message.status =
                static_cast<uint8_t>(kMidiNoteOn | (event.noteOn.channel & kMidiChannelMask));
            message.data1 =
                static_cast<uint8_t>(std::clamp<int>(event.noteOn.pitch, 0, kMidiDataMax));
            message.data2 = static_cast<uint8_t>(velocity * kMidiDataMax);
        } else if (event.type == Event::kNoteOffEvent) {
            message.status =
                static_cast<uint8_t>(kMidiNoteOff | (event.noteOff.channel & kMidiChannelMask));
            message.data1 =
                static_cast<uint8_t>(std::clamp<int>(event.noteOff.pitch, 0, kMidiDataMax));
            message.data2 = 0;
        } else {
            continue;
        }
        ReceiveMidi(&message);
    }
}

int IEffectVST3::UsableChannels(const AudioBusBuffers* buffers, Bus* bus, int lines,
                                bool wide) const
{
    if (buffers == nullptr || bus == nullptr || !bus->isActive() || lines <= 0) {
        return 0;
    }
    const int channels = std::min(buffers->numChannels, lines);
    if (channels <= 0) {
        return 0;
    }
    if (wide) {
        if (buffers->channelBuffers64 == nullptr) {
            return 0;
        }
        for (int c = 0; c < channels; ++c) {
            if (buffers->channelBuffers64[c] == nullptr) {
                return 0;
            }
        }
    } else {
        if (buffers->channelBuffers32 == nullptr) {
            return 0;
        }
        for (int c = 0; c < channels; ++c) {
            if (buffers->channelBuffers32[c] == nullptr) {
                return 0;
            }
        }
    }
    return channels;
}

void IEffectVST3::BindInputChannels(const AudioBusBuffers& buffers, int firstLine, int count,
                                    int offset, int frames, bool wide)
{
    if (wide) {
        auto** channels = pieceChannels.As<double*>();
        for (int c = 0; c < count; ++c) {
            channels[c] = buffers.channelBuffers64[c] + offset;
        }
        BindInputs(firstLine, count, channels);
    } else {
        auto** channels = pieceChannels.As<float*>();
        for (int c = 0; c < count; ++c) {
            channels[c] = buffers.channelBuffers32[c] + offset;
        }
        BindInputsFloat(firstLine, count, channels, frames);
    }
}

void IEffectVST3::BindInputPiece(const ProcessData& data, int offset, int frames, bool wide)
{
    const int lines = InputLineCount();
    const int mainLines = std::max(lines - sideChainChannels, 0);
    const bool hasInputs = data.numInputs >= 1 && data.inputs != nullptr;
    const int mainChannels =
        hasInputs ? UsableChannels(&data.inputs[0], getBus(kAudio, kInput, 0), mainLines, wide) : 0;
    int sideChannels = 0;
    if (sideChainChannels > 0 && hasInputs && data.numInputs >= 2) {
        sideChannels = UsableChannels(&data.inputs[1], getBus(kAudio, kInput, 1),
                                      std::min(sideChainChannels, lines - mainLines), wide);
    }
    const uint64_t live = LineBits(0, mainChannels) | LineBits(mainLines, sideChannels);
    if ((liveInputLines & ~live) != 0) {
        ClearScratch();
    }
    liveInputLines = live;

    SetInputsConnected(0, lines, false);
    SetInputsConnected(0, mainChannels, true);
    SetInputsConnected(mainLines, sideChannels, true);
    if (mainChannels > 0) {
        BindInputChannels(data.inputs[0], 0, mainChannels, offset, frames, wide);
    }
    if (sideChannels > 0) {
        BindInputChannels(data.inputs[1], mainLines, sideChannels, offset, frames, wide);
    }
}

void IEffectVST3::BindOutputPiece(const ProcessData& data, int offset, bool wide)
{
    const int lines = OutputLineCount();
    SetOutputsConnected(0, lines, false);
    if (data.numOutputs < 1 || data.outputs == nullptr) {
        return;
    }
    int line = 0;
    for (int32 b = 0; b < data.numOutputs && line < lines; ++b) {
        const AudioBusBuffers& buffers = data.outputs[b];
        const int channels = std::max(buffers.numChannels, 0);
        const int usable = UsableChannels(&buffers, getBus(kAudio, kOutput, b), lines - line, wide);
        if (usable > 0) {
            SetOutputsConnected(line, usable, true);
            if (wide) {
                auto** channelPointers = pieceChannels.As<double*>();
                for (int c = 0; c < usable; ++c) {
                    channelPointers[c] = buffers.channelBuffers64[c] + offset;
                }
                BindOutputs(line, usable, channelPointers);
            } else {
                auto** channelPointers = pieceChannels.As<float*>();
                for (int c = 0; c < usable; ++c) {
                    channelPointers[c] = buffers.channelBuffers32[c] + offset;
                }
                BindOutputsFloat(line, usable, channelPointers);
            }
        }
        line += channels;
    }
}

void IEffectVST3::SilenceOutputs(const ProcessData& data)
{
    if (data.outputs == nullptr) {
        return;
    }
    const auto frames = static_cast<size_t>(std::max(data.numSamples, 0));
    for (int32 b = 0; b < data.numOutputs; ++b) {
        const AudioBusBuffers& buffers = data.outputs[b];
        for (int32 c = 0; c < buffers.numChannels; ++c) {
            if (data.symbolicSampleSize == kSample64 && buffers.channelBuffers64 != nullptr &&
                buffers.channelBuffers64[c] != nullptr) {
                std::fill_n(buffers.channelBuffers64[c], frames, 0.0);
            } else if (data.symbolicSampleSize == kSample32 &&
                       buffers.channelBuffers32 != nullptr &&
                       buffers.channelBuffers32[c] != nullptr) {
                std::fill_n(buffers.channelBuffers32[c], frames, 0.0f);
            }
        }
    }
}

// Controller.

tresult PLUGIN_API IEffectVST3::setComponentState(IBStream*)
{
    return kNotImplemented;
}

tresult PLUGIN_API IEffectVST3::getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                                      String128 string)
{
    if (id >= static_cast<ParamID>(ParamCount()) || string == nullptr) {
        return kResultFalse;
    }
    if (!std::isfinite(valueNormalized)) {
        return kInvalidArgument;
    }
    char text[kParamTextSize * 2] = {};
    ParamAt(static_cast<int>(id))
        ->FormatValue(std::clamp(valueNormalized, 0.0, 1.0), true, text, sizeof text);
    TextToUtf16(text, string, kString128Units);
    return kResultOk;
}

ParamValue PLUGIN_API IEffectVST3::plainParamToNormalized(ParamID id, ParamValue plainValue)
{
    if (id == kPresetParamId) {
        return PresetCount() > 1 ? plainValue / (PresetCount() - 1) : 0.0;
    }
    if (id < static_cast<ParamID>(ParamCount())) {
        return ParamAt(static_cast<int>(id))->NormalisedOf(plainValue);
    }
    return plainValue;
}

ParamValue PLUGIN_API IEffectVST3::getParamNormalized(ParamID id)
{
    InstanceLock lock(Mutex());
    if (id == kBypassParamId) {
        return Bypassed() ? 1.0 : 0.0;
    }
    if (id == kPresetParamId) {
        return PresetNormalised();
    }
    if (id < static_cast<ParamID>(ParamCount())) {
        return ParamAt(static_cast<int>(id))->CurrentNormalised();
    }
    return 0.0;
}

tresult PLUGIN_API IEffectVST3::setParamNormalized(ParamID id, ParamValue value)
{
    if (!std::isfinite(value)) {
        return kInvalidArgument;
    }
    value = std::clamp(value, 0.0, 1.0);
    InstanceLock lock(Mutex());
    if (id == kBypassParamId) {
        SetBypassed(value != 0.0);
    } else if (id == kPresetParamId && PresetCount() > 0) {
        SetCurrentPreset(PresetIndexFor(value));
    } else if (id < static_cast<ParamID>(ParamCount())) {
        ParamAt(static_cast<int>(id))->SetFromNormalised(value);
    } else {
        return kResultFalse;
    }
    return kResultOk;
}

IPlugView* PLUGIN_API IEffectVST3::createView(FIDString)
{
    return nullptr; // the editor view is not part of this binding yet
}

tresult PLUGIN_API IEffectVST3::setKnobMode(KnobMode)
{
    return kResultOk;
}

tresult PLUGIN_API IEffectVST3::openHelp(TBool)
{
    return kResultFalse;
}

tresult PLUGIN_API IEffectVST3::openAboutBox(TBool)
{
    return kResultFalse;
}

int IEffectVST3::PresetIndexFor(double normalised) const
{
    // round((count - 1) * v) by adding 0.5 and truncating: 0.5 of 150 gives 75.
    return static_cast<int>((PresetCount() - 1) * normalised + 0.5);
}

double IEffectVST3::PresetNormalised() const
{
    return PresetCount() > 1 ? static_cast<double>(CurrentPreset()) / (PresetCount() - 1) : 0.0;
}

// Units and the program list.

int32 PLUGIN_API IEffectVST3::getUnitCount()
{
    return 1 + ParamGroups().Length();
}

tresult PLUGIN_API IEffectVST3::getUnitInfo(int32 unitIndex, UnitInfo& info)
{
    if (unitIndex == 0) {
        info.id = kRootUnitId;
        info.parentUnitId = kNoParentUnitId;
        TextToUtf16("Root Unit", info.name, kString128Units);
        info.programListId =
            PresetCount() > 0 ? static_cast<ProgramListID>(kPresetParamId) : kNoProgramListId;
        return kResultOk;
    }
    if (unitIndex >= 1 && unitIndex <= ParamGroups().Length()) {
        info.id = unitIndex;
        info.parentUnitId = kRootUnitId;
        TextToUtf16(ParamGroups().Get(unitIndex - 1), info.name, kString128Units);
        info.programListId = kNoProgramListId;
        return kResultOk;
    }
    return kResultFalse;
}

int32 PLUGIN_API IEffectVST3::getProgramListCount()
{
    return PresetCount() > 0 ? 1 : 0;
}

tresult PLUGIN_API IEffectVST3::getProgramListInfo(int32 listIndex, ProgramListInfo& info)
{
    if (listIndex != 0 || PresetCount() < 1) {
        return kResultFalse;
    }
    info.id = static_cast<ProgramListID>(kPresetParamId);
    TextToUtf16("Factory Presets", info.name, kString128Units);
    info.programCount = PresetCount();
    return kResultOk;
}

tresult PLUGIN_API IEffectVST3::getProgramName(ProgramListID listId, int32 programIndex,
                                               String128 name)
{
    if (listId != static_cast<ProgramListID>(kPresetParamId) || name == nullptr ||
        programIndex < 0 || programIndex >= PresetCount()) {
        return kResultFalse;
    }
    // The process call renames a never-filled slot when it is selected.
    InstanceLock lock(Mutex());
    TextToUtf16(PresetName(programIndex), name, kString128Units);
    return kResultOk;
}

tresult PLUGIN_API IEffectVST3::getProgramInfo(ProgramListID, int32, Vst::CString, String128)
{
    return kNotImplemented;
}

tresult PLUGIN_API IEffectVST3::hasProgramPitchNames(ProgramListID, int32)
{
    return kNotImplemented;
}

tresult PLUGIN_API IEffectVST3::getProgramPitchName(ProgramListID, int32, int16, String128)
{
    return kNotImplemented;
}

UnitID PLUGIN_API IEffectVST3::getSelectedUnit()
{
    return kRootUnitId;
}

tresult PLUGIN_API IEffectVST3::selectUnit(UnitID)
{
    return kNotImplemented;
}

tresult PLUGIN_API IEffectVST3::getUnitByBus(MediaType, BusDirection, int32, int32, UnitID&)
{
    return kNotImplemented;
}

tresult PLUGIN_API IEffectVST3::setUnitProgramData(int32, int32, IBStream*)
{
    return kNotImplemented;
}

// Services to the plug-in base.

void IEffectVST3::NotifyEditBegin(int index)
{
    beginEdit(static_cast<ParamID>(index));
}

void IEffectVST3::NotifyEditValue(int index, double normalised)
{
    performEdit(static_cast<ParamID>(index), normalised);
}

void IEffectVST3::NotifyEditEnd(int index)
{
    endEdit(static_cast<ParamID>(index));
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

int IEffectVST3::GetSamplePosition()
{
    return static_cast<int>(static_cast<int32_t>(processContext.projectTimeSamples));
}

double IEffectVST3::GetTempo()
{
    return processContext.tempo;
}

void IEffectVST3::GetTimeSignature(int* numerator, int* denominator)
{
    if (numerator != nullptr) {
        *numerator = processContext.timeSigNumerator;
    }
    if (denominator != nullptr) {
        *denominator = processContext.timeSigDenominator;
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
    if (componentHandler != nullptr) {
        componentHandler->restartComponent(kLatencyChanged);
    }
}

bool IEffectVST3::SendMidi(const MidiMessage*)
{
    return false;
}

int IEffectVST3::HostTransportState()
{
    if ((processContext.state & ProcessContext::kPlaying) != 0) {
        return kTransportPlaying;
    }
    if ((processContext.state & ProcessContext::kRecording) != 0) {
        return kTransportRecording;
    }
    return kTransportStopped;
}

void IEffectVST3::HostTimeInfo(ITimeInfo* info)
{
    if (info == nullptr) {
        return;
    }
    info->tempoBpm = processContext.tempo;
    info->samplePosition = static_cast<double>(processContext.projectTimeSamples);
    info->quarterPosition = processContext.projectTimeMusic;
    info->barStartQuarters = processContext.barPositionMusic;
    info->cycleStartQuarters = processContext.cycleStartMusic;
    info->cycleEndQuarters = processContext.cycleEndMusic;
    info->numerator = processContext.timeSigNumerator;
    info->denominator = processContext.timeSigDenominator;
    info->playing = (processContext.state & ProcessContext::kPlaying) != 0;
    info->cycleActive = (processContext.state & ProcessContext::kCycleActive) != 0;
}

bool IEffectVST3::IsRenderingOffline()
{
    return processSetup.processMode == kOffline;
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
