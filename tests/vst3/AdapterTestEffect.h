// A small effect on the VST 3 adapter for tests: its output is its input
// times "Gain", so what reaches the outputs shows how the adapter bound the
// host's buffers. It records what the adapter asked of it.
#pragma once

#include "IEffectVST3.h"

#include <vector>

namespace toneloom::testing {

struct AdapterTestOptions
{
    const char* ioLayout = "1-1 2-2";
    int sideChainChannels = 0;
    bool receivesMidi = false;
    bool stereoOutputBuses = false;
    // A change of "Steps" makes the effect set "Mode" to "Off" itself, with
    // the edit gestures an engine reaction makes.
    bool stepsSwitchModeOff = false;
};

enum AdapterTestParam : int
{
    kTestGain = 0,  // double 0..2, default 1, group "Levels"
    kTestMode = 1,  // enum "Soft", "Hard", "Off", default 1
    kTestSteps = 2, // int 0..10, default 5
    kTestParamCount = 3
};

constexpr int kTestPresetCount = 4; // slots 0 and 1 filled

class AdapterTestEffect : public IEffectVST3
{
public:
    explicit AdapterTestEffect(const AdapterTestOptions& options = AdapterTestOptions());

    void ParameterChanged(int index) override;
    // outputs[c] = inputs[c] * gain for the channels both have; the further
    // input lines (a side chain) are added to output 0.
    void ProcessBlock(double** inputs, double** outputs, int frames) override;
    void ReceiveMidi(const MidiMessage* message) override;
    void ActivationChanged(bool active) override;

    // What happened, for the tests (plain fields: read them between calls).
    std::vector<int> changeCounts;        // ParameterChanged calls per index
    std::vector<double> gainAtBlockStart; // "Gain" at the start of each ProcessBlock
    std::vector<int> blockFrames;         // frames of each ProcessBlock call
    std::vector<MidiMessage> midi;
    std::vector<bool> activations;

private:
    bool stepsSwitchModeOff;
};

} // namespace toneloom::testing
