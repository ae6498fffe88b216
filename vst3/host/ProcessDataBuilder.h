// What a host hands to process for one block: audio buffers for every bus
// (32- or 64-bit), the block's parameter changes and events, and a process
// context with tempo, transport and position. Everything is allocated at
// construction; preparing and advancing blocks allocates nothing.
#pragma once

#include "EventList.h"
#include "ParameterChanges.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"

#include <cstdint>
#include <vector>

namespace toneloom::host {

class ProcessDataBuilder
{
public:
    // `inputChannels` and `outputChannels` hold one channel count per bus;
    // each channel gets `maxFrames` samples of `symbolicSampleSize`.
    ProcessDataBuilder(std::vector<int> inputChannels, std::vector<int> outputChannels,
                       int maxFrames, Steinberg::int32 symbolicSampleSize, double sampleRateHz);
    ProcessDataBuilder(const ProcessDataBuilder&) = delete;
    ProcessDataBuilder& operator=(const ProcessDataBuilder&) = delete;

    // The data for a block of `frames` samples (at most maxFrames), with the
    // current context, changes and events.
    Steinberg::Vst::ProcessData& Block(int frames);
    // After process: the project position moves on by the block while the
    // transport plays, and the block's changes (input and output) and events
    // are dropped.
    void Advance(int frames);

    float* Input32(int bus, int channel);
    double* Input64(int bus, int channel);
    float* Output32(int bus, int channel);
    double* Output64(int bus, int channel);
    // Fills every output sample with `value` (to see what a block left alone).
    void FillOutputs(double value);
    // Fills input channel `channel` of `bus` with `value`.
    void FillInput(int bus, int channel, double value);

    ParameterChanges& Changes() { return changes; }
    // What the plug-in reported back in the block.
    ParameterChanges& OutputChanges() { return outputChanges; }
    EventList& Events() { return events; }
    Steinberg::Vst::ProcessContext& Context() { return context; }
    Steinberg::Vst::ProcessData& Data() { return data; }

    void SetTempo(double bpm);
    void SetTimeSignature(int numerator, int denominator);
    void SetPlaying(bool playing);
    void SetProjectTimeSamples(int64_t samples);
    int MaxFrames() const { return maxFrames; }
    double SampleRate() const { return sampleRate; }
    Steinberg::int32 SampleSize() const { return sampleSize; }

private:
    struct BusStorage
    {
        std::vector<std::vector<float>> samples32;
        std::vector<std::vector<double>> samples64;
        std::vector<float*> pointers32;
        std::vector<double*> pointers64;
    };
    void MakeBuses(const std::vector<int>& channels, std::vector<BusStorage>* storage,
                   std::vector<Steinberg::Vst::AudioBusBuffers>* buses);

    int maxFrames;
    Steinberg::int32 sampleSize;
    double sampleRate; // Hz
    std::vector<BusStorage> inputStorage;
    std::vector<BusStorage> outputStorage;
    std::vector<Steinberg::Vst::AudioBusBuffers> inputBuses;
    std::vector<Steinberg::Vst::AudioBusBuffers> outputBuses;
    ParameterChanges changes;
    ParameterChanges outputChanges;
    EventList events;
    Steinberg::Vst::ProcessContext context{};
    Steinberg::Vst::ProcessData data;
};

} // namespace toneloom::host
