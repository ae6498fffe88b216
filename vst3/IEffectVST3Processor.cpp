// The audio processor: setup, bus arrangements, the process call and what
// the plug-in base reads from the host's process context.
#include "IEffectVST3.h"

#include "HostCallScope.h"
#include "Vst3Ids.h"

#include "pluginterfaces/vst/vstspeaker.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <thread>

namespace toneloom {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

// The largest block the scratch buffers are sized for, in samples; a host
// that sets up more gets its blocks rendered in pieces of this size.
constexpr int kMaxScratchFrames = 1 << 16;
constexpr int kLiveLineBits = 64;
constexpr int kMidiChannelMask = 0x0F;
constexpr int kMidiDataMax = 127;
constexpr uint8_t kMidiNoteOn = 0x90;
constexpr uint8_t kMidiNoteOff = 0x80;

int SetBits(SpeakerArrangement arrangement)
{
    int count = 0;
    for (uint64 bits = static_cast<uint64>(arrangement); bits != 0; bits &= bits - 1) {
        ++count;
    }
    return count;
}

uint64_t LineBits(int firstLine, int count)
{
    uint64_t bits = 0;
    for (int line = firstLine; line < firstLine + count && line < kLiveLineBits; ++line) {
        bits |= uint64_t{1} << line;
    }
    return bits;
}

} // namespace

// Processor.

tresult PLUGIN_API IEffectVST3::canProcessSampleSize(int32 symbolicSampleSize)
{
    return symbolicSampleSize == kSample32 || symbolicSampleSize == kSample64 ? kResultTrue
                                                                              : kResultFalse;
}

tresult PLUGIN_API IEffectVST3::setupProcessing(ProcessSetup& setup)
{
    HostCallScope hostCall;
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
    // A tone generator sounds without input: a host must never suspend it
    // because its input is silent.
    return kInfiniteTail;
}

tresult PLUGIN_API IEffectVST3::setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                   SpeakerArrangement* outputs, int32 numOuts)
{
    HostCallScope hostCall;
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
    processThread.store(std::this_thread::get_id(), std::memory_order_relaxed);
    callProcessMode = data.processMode;
    KeepProcessContext(data.processContext);
    KeepParamValues();
    ApplyParameterChanges(data.inputParameterChanges);
    if (ReceivesMidi()) {
        ForwardMidiEvents(data.inputEvents);
    }
    const tresult result = RenderBlock(data);
    ReportParamChanges(data.outputParameterChanges);
    processThread.store(std::thread::id(), std::memory_order_relaxed);
    return result;
}

tresult IEffectVST3::RenderBlock(ProcessData& data)
{
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
    hostHasTransport = true;
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

void IEffectVST3::KeepParamValues()
{
    for (int i = 0; i < ParamCount(); ++i) {
        paramsBefore[static_cast<size_t>(i)] = ParamAt(i)->Value();
    }
    std::fill(paramsFromHost.begin(), paramsFromHost.end(), uint8_t{0});
}

void IEffectVST3::ReportParamChanges(IParameterChanges* changes)
{
    if (changes == nullptr) {
        return;
    }
    for (int i = 0; i < ParamCount(); ++i) {
        const IParamRecord* record = ParamAt(i);
        const auto slot = static_cast<size_t>(i);
        // The host knows the values it sent; a preset or the engine's own
        // reactions changed the others, in this block or in a load the host
        // asked for outside it.
        const bool loaded = paramsToReport[slot] != 0;
        paramsToReport[slot] = 0;
        if (paramsFromHost[slot] != 0 || (!loaded && record->Value() == paramsBefore[slot])) {
            continue;
        }
        int32 queueIndex = 0;
        IParamValueQueue* queue = changes->addParameterData(static_cast<ParamID>(i), queueIndex);
        if (queue != nullptr) {
            int32 pointIndex = 0;
            queue->addPoint(0, record->CurrentNormalised(), pointIndex);
        }
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
        paramsFromHost[static_cast<size_t>(index)] = 1;
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

// Host time and transport, as the last process context gave them.

int64_t IEffectVST3::GetSamplePosition()
{
    return processContext.projectTimeSamples;
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

int IEffectVST3::HostTransportState()
{
    // A host that passes no process context has no transport to stop the
    // tone with: it counts as playing.
    if (!hostHasTransport) {
        return kTransportPlaying;
    }
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
    info->playing = !hostHasTransport || (processContext.state & ProcessContext::kPlaying) != 0;
    info->cycleActive = (processContext.state & ProcessContext::kCycleActive) != 0;
}

bool IEffectVST3::IsRenderingOffline()
{
    // Real time only when both the setup and the latest call say so: some
    // hosts keep the real-time mode in the calls of an offline setup.
    return processSetup.processMode != kRealtime || callProcessMode != kRealtime;
}

} // namespace toneloom
