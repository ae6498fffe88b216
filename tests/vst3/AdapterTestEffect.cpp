#include "AdapterTestEffect.h"

#include <algorithm>

namespace toneloom::testing {

namespace {

constexpr int32_t kTestUniqueId = 0x74657374; // 'test'
constexpr int32_t kTestVendorId = 0x546C6F6D; // 'Tlom'
constexpr int32_t kTestVersion = 0x10203;

} // namespace

AdapterTestEffect::AdapterTestEffect(const AdapterTestOptions& options)
    : IEffectVST3(kTestParamCount, options.ioLayout, kTestPresetCount, "Adapter Test", "Tests",
                  "Orvanta", kTestVersion, kTestUniqueId, kTestVendorId, 0, options.receivesMidi,
                  false, options.stereoOutputBuses, options.sideChainChannels),
      changeCounts(kTestParamCount, 0), stepsSwitchModeOff(options.stepsSwitchModeOff)
{
    ParamAt(kTestGain)->DeclareDouble("Gain", 1.0, 0.0, 2.0, 0.01, "x");
    ParamAt(kTestGain)->SetGroup("Levels");
    ParamAt(kTestMode)->DeclareEnum("Mode", 1, 3, "");
    ParamAt(kTestMode)->AddValueText(0, "Soft");
    ParamAt(kTestMode)->AddValueText(1, "Hard");
    ParamAt(kTestMode)->AddValueText(2, "Off");
    ParamAt(kTestSteps)->DeclareInt("Steps", 5, 0, 10, "st");
    CreatePreset("Unity", {1.0, 1.0, 5.0});
    CreatePreset("Half", {0.5, 0.0, 2.0});
    SetProcessingEnabled(true);
}

void AdapterTestEffect::ParameterChanged(int index)
{
    InstanceLock lock(Mutex());
    if (index >= 0 && index < kTestParamCount) {
        ++changeCounts[static_cast<size_t>(index)];
    }
    if (index == kTestSteps && stepsSwitchModeOff) {
        NotifyEditBegin(kTestMode);
        ParamAt(kTestMode)->SetFromNormalised(1.0);
        NotifyEditValue(kTestMode, 1.0);
        NotifyEditEnd(kTestMode);
    }
}

void AdapterTestEffect::ProcessBlock(double** inputs, double** outputs, int frames)
{
    const double gain = ParamAt(kTestGain)->Value();
    if (gainAtBlockStart.size() < gainAtBlockStart.capacity()) {
        gainAtBlockStart.push_back(gain);
        blockFrames.push_back(frames);
    }
    const int shared = std::min(InputLineCount(), OutputLineCount());
    for (int c = 0; c < OutputLineCount(); ++c) {
        for (int s = 0; s < frames; ++s) {
            outputs[c][s] = c < shared ? inputs[c][s] * gain : 0.0;
        }
    }
    for (int extra = shared; extra < InputLineCount() && OutputLineCount() > 0; ++extra) {
        for (int s = 0; s < frames; ++s) {
            outputs[0][s] += inputs[extra][s];
        }
    }
}

void AdapterTestEffect::ReceiveMidi(const MidiMessage* message)
{
    midi.push_back(*message);
}

void AdapterTestEffect::ActivationChanged(bool active)
{
    InstanceLock lock(Mutex());
    activations.push_back(active);
}

} // namespace toneloom::testing
