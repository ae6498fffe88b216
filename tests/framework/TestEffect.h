// A plug-in base with a recording binding, for the framework tests.
#pragma once

#include "IEffectBase.h"

#include <string>
#include <vector>

namespace toneloom::testing {

class TestEffect : public IEffectBase
{
public:
    explicit TestEffect(int paramCount = 4, const char* layout = "1-1 2-2", int presetCount = 8)
        : IEffectBase(paramCount, layout, presetCount, "Test", "", "Maker", 0x10A00, 'test', 'Mkr_',
                      0, false, false, 1)
    {
    }

    void ParameterChanged(int index) override
    {
        InstanceLock lock(Mutex());
        changes.push_back(index);
    }

    void NotifyEditBegin(int index) override { events.push_back("begin " + std::to_string(index)); }
    void NotifyEditValue(int index, double normalised) override
    {
        events.push_back("value " + std::to_string(index) + " " + std::to_string(normalised));
    }
    void NotifyEditEnd(int index) override { events.push_back("end " + std::to_string(index)); }
    int64_t GetSamplePosition() override { return 0; }
    double GetTempo() override { return tempoBpm; }
    void GetTimeSignature(int* numerator, int* denominator) override
    {
        *numerator = 4;
        *denominator = 4;
    }
    void ResizeEditor(int, int) override {}
    bool SendMidi(const MidiMessage*) override { return sendMidiResult; }
    int HostTransportState() override { return kTransportPlaying; }
    void HostTimeInfo(ITimeInfo* info) override { *info = ITimeInfo{}; }
    bool IsRenderingOffline() override { return false; }

    using IEffectBase::SetProcessingEnabled;
    using IEffectBase::SetSampleRate;

    std::vector<int> changes;
    std::vector<std::string> events;
    double tempoBpm = 120.0;
    bool sendMidiResult = true;
};

} // namespace toneloom::testing
