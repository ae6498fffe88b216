// Parameter edits on their way from one thread (an editor's, or the main
// thread's) to the audio thread, which hands them to the plug-in in the next
// buffer's input parameter changes. A fixed ring of single-producer,
// single-consumer slots: pushing and popping never allocate, lock or wait.
#pragma once

#include "pluginterfaces/vst/vsttypes.h"

#include <array>
#include <atomic>
#include <cstddef>

namespace toneloom {

struct ParameterEdit
{
    Steinberg::Vst::ParamID id = 0;
    Steinberg::Vst::ParamValue normalised = 0.0;
};

class ParameterEditQueue
{
public:
    static constexpr size_t kCapacity = 1024; // edits waiting at most

    // [producer thread] False when the queue is full (the edit is dropped).
    bool Push(const ParameterEdit& edit);
    // [consumer thread] False when there is nothing to take.
    bool Pop(ParameterEdit* edit);

private:
    std::array<ParameterEdit, kCapacity> slots{};
    std::atomic<size_t> head{0}; // next slot to read; written by the consumer
    std::atomic<size_t> tail{0}; // next slot to write; written by the producer
};

} // namespace toneloom
