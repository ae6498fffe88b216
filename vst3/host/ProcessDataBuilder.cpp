#include "ProcessDataBuilder.h"

#include <algorithm>
#include <utility>

namespace toneloom::host {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

constexpr double kSecondsPerMinute = 60.0;
constexpr double kDefaultTempoBpm = 120.0;
constexpr int kDefaultBeatsPerBar = 4;

} // namespace

ProcessDataBuilder::ProcessDataBuilder(std::vector<int> inputChannels,
                                       std::vector<int> outputChannels, int newMaxFrames,
                                       int32 symbolicSampleSize, double sampleRateHz)
    : maxFrames(std::max(newMaxFrames, 1)), sampleSize(symbolicSampleSize), sampleRate(sampleRateHz)
{
    MakeBuses(inputChannels, &inputStorage, &inputBuses);
    MakeBuses(outputChannels, &outputStorage, &outputBuses);
    context.sampleRate = sampleRate;
    context.tempo = kDefaultTempoBpm;
    context.timeSigNumerator = kDefaultBeatsPerBar;
    context.timeSigDenominator = kDefaultBeatsPerBar;
    context.state = ProcessContext::kTempoValid | ProcessContext::kTimeSigValid |
                    ProcessContext::kProjectTimeMusicValid;
    data.processMode = kRealtime;
    data.symbolicSampleSize = sampleSize;
    data.numInputs = static_cast<int32>(inputBuses.size());
    data.numOutputs = static_cast<int32>(outputBuses.size());
    data.inputs = inputBuses.empty() ? nullptr : inputBuses.data();
    data.outputs = outputBuses.empty() ? nullptr : outputBuses.data();
    data.inputParameterChanges = &changes;
    data.outputParameterChanges = &outputChanges;
    data.inputEvents = &events;
    data.processContext = &context;
}

void ProcessDataBuilder::MakeBuses(const std::vector<int>& channels,
                                   std::vector<BusStorage>* storage,
                                   std::vector<AudioBusBuffers>* buses)
{
    storage->resize(channels.size());
    buses->resize(channels.size());
    for (size_t b = 0; b < channels.size(); ++b) {
        BusStorage& bus = (*storage)[b];
        const auto count = static_cast<size_t>(std::max(channels[b], 0));
        bus.samples32.assign(count, std::vector<float>(static_cast<size_t>(maxFrames), 0.0f));
        bus.samples64.assign(count, std::vector<double>(static_cast<size_t>(maxFrames), 0.0));
        for (size_t c = 0; c < count; ++c) {
            bus.pointers32.push_back(bus.samples32[c].data());
            bus.pointers64.push_back(bus.samples64[c].data());
        }
        AudioBusBuffers& buffers = (*buses)[b];
        buffers.numChannels = static_cast<int32>(count);
        buffers.silenceFlags = 0;
        if (sampleSize == kSample64) {
            buffers.channelBuffers64 = bus.pointers64.data();
        } else {
            buffers.channelBuffers32 = bus.pointers32.data();
        }
    }
}

ProcessData& ProcessDataBuilder::Block(int frames)
{
    data.numSamples = std::clamp(frames, 0, maxFrames);
    return data;
}

void ProcessDataBuilder::Advance(int frames)
{
    if ((context.state & ProcessContext::kPlaying) != 0) {
        context.projectTimeSamples += frames;
        if (sampleRate > 0.0) {
            context.projectTimeMusic += frames / sampleRate * context.tempo / kSecondsPerMinute;
        }
    }
    context.continousTimeSamples += frames;
    changes.Clear();
    outputChanges.Clear();
    events.Clear();
}

float* ProcessDataBuilder::Input32(int bus, int channel)
{
    return inputStorage.at(static_cast<size_t>(bus))
        .samples32.at(static_cast<size_t>(channel))
        .data();
}

double* ProcessDataBuilder::Input64(int bus, int channel)
{
    return inputStorage.at(static_cast<size_t>(bus))
        .samples64.at(static_cast<size_t>(channel))
        .data();
}

float* ProcessDataBuilder::Output32(int bus, int channel)
{
    return outputStorage.at(static_cast<size_t>(bus))
        .samples32.at(static_cast<size_t>(channel))
        .data();
}

double* ProcessDataBuilder::Output64(int bus, int channel)
{
    return outputStorage.at(static_cast<size_t>(bus))
        .samples64.at(static_cast<size_t>(channel))
        .data();
}

void ProcessDataBuilder::FillOutputs(double value)
{
    for (BusStorage& bus : outputStorage) {
        for (auto& channel : bus.samples32) {
            std::fill(channel.begin(), channel.end(), static_cast<float>(value));
        }
        for (auto& channel : bus.samples64) {
            std::fill(channel.begin(), channel.end(), value);
        }
    }
}

void ProcessDataBuilder::FillInput(int bus, int channel, double value)
{
    BusStorage& storage = inputStorage.at(static_cast<size_t>(bus));
    auto& samples32 = storage.samples32.at(static_cast<size_t>(channel));
    auto& samples64 = storage.samples64.at(static_cast<size_t>(channel));
    std::fill(samples32.begin(), samples32.end(), static_cast<float>(value));
    std::fill(samples64.begin(), samples64.end(), value);
}

void ProcessDataBuilder::SetTempo(double bpm)
{
    context.tempo = bpm;
}

void ProcessDataBuilder::SetTimeSignature(int numerator, int denominator)
{
    context.timeSigNumerator = numerator;
    context.timeSigDenominator = denominator;
}

void ProcessDataBuilder::SetPlaying(bool playing)
{
    if (playing) {
        context.state |= ProcessContext::kPlaying;
    } else {
        context.state &= ~static_cast<uint32>(ProcessContext::kPlaying);
    }
}

void ProcessDataBuilder::SetProjectTimeSamples(int64_t samples)
{
    context.projectTimeSamples = samples;
    if (sampleRate > 0.0) {
        context.projectTimeMusic =
            static_cast<double>(samples) / sampleRate * context.tempo / kSecondsPerMinute;
    }
}

} // namespace toneloom::host
