// Toneloom through its loaded module, the way a host drives it: the tone,
// automation, programs, state, bypass, units and the controller's answers.
#include "ModuleHost.h"
#include "ToneMeasure.h"
#include "Vst3Ids.h"

#include "HostText.h"

#include "public.sdk/source/common/memorystream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>

namespace toneloom::testing {
namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

constexpr int kToneloomParams = 23;
constexpr int kToneloomStateBytes = 184;
constexpr int kPresetSlots = 150;
constexpr int kFactoryPresets = 140; // slots 0 (the default) to 139
constexpr ParamID kBaseFreqId = 0;
constexpr ParamID kBinauralId = 1;
constexpr ParamID kVolumeId = 7;
constexpr ParamID kFadeId = 6;

// Seconds of audio until a frequency change has settled (the default "Fade"
// glides over about a second).
constexpr double kSettleSeconds = 3.0;
constexpr double kMeasureSeconds = 1.0;
constexpr double kFrequencyToleranceHz = 0.05;

class ToneloomToneTest : public ::testing::TestWithParam<std::tuple<double, Steinberg::int32>>
{
};

TEST_P(ToneloomToneTest, DefaultToneIs200HzLeftAnd204HzRight)
{
    const double rate = std::get<0>(GetParam());
    const int32 sampleSize = std::get<1>(GetParam());
    HostedPlugin plugin(ToneloomBundle());
    ASSERT_TRUE(plugin.Start(rate, 512, sampleSize));
    auto data = StereoBuilder(512, sampleSize, rate);
    const int settle = static_cast<int>(rate * kSettleSeconds);
    const int measure = static_cast<int>(rate * kMeasureSeconds);
    const StereoOut out = plugin.Render(*data, settle + measure, 512);
    ASSERT_TRUE(AllFinite(out.left) && AllFinite(out.right));
    EXPECT_NEAR(FrequencyHz(out.left, settle, measure, rate), 200.0, kFrequencyToleranceHz);
    EXPECT_NEAR(FrequencyHz(out.right, settle, measure, rate), 204.0, kFrequencyToleranceHz);
    EXPECT_GT(Peak(out.left, settle, measure), 0.1);
    EXPECT_LE(Peak(out.left, settle, measure), 2.0);
}

INSTANTIATE_TEST_SUITE_P(SampleRatesAndSizes, ToneloomToneTest,
                         ::testing::Combine(::testing::Values(44100.0, 48000.0, 96000.0),
                                            ::testing::Values(Steinberg::Vst::kSample32,
                                                              Steinberg::Vst::kSample64)));

class ToneloomModuleTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(plugin.Start(kRate, kBlock)); }

    // Processes one block carrying the changes already put into `data`.
    void ProcessOneBlock() { plugin.Render(*data, kBlock, kBlock); }

    static constexpr double kRate = 48000.0;
    static constexpr int kBlock = 256;
    HostedPlugin plugin{ToneloomBundle()};
    std::unique_ptr<host::ProcessDataBuilder> data = StereoBuilder(kBlock, kSample32, kRate);
};

TEST_F(ToneloomModuleTest, ControllerListsPresetsThenTheProductParameters)
{
    IEditController* controller = plugin.Controller();
    ASSERT_EQ(controller->getParameterCount(), kToneloomParams + 1);
    ParameterInfo info{};
    ASSERT_EQ(controller->getParameterInfo(0, info), kResultOk);
    EXPECT_EQ(info.id, kPresetParamId);
    EXPECT_EQ(Utf16ToUtf8(info.title), "Presets");
    EXPECT_EQ(info.flags, 0x8008);
    EXPECT_EQ(info.stepCount, kPresetSlots - 1);
    ASSERT_EQ(controller->getParameterInfo(1, info), kResultOk);
    EXPECT_EQ(info.id, kBaseFreqId);
    EXPECT_EQ(Utf16ToUtf8(info.title), "Base Freq");
    EXPECT_EQ(Utf16ToUtf8(info.units), "Hz");
    EXPECT_EQ(info.stepCount, 0);
    EXPECT_EQ(info.flags, ParameterInfo::kCanAutomate);
    EXPECT_EQ(info.unitId, kRootUnitId);
    ASSERT_EQ(controller->getParameterInfo(kToneloomParams, info), kResultOk);
    EXPECT_EQ(info.id, static_cast<ParamID>(kToneloomParams - 1));
    EXPECT_EQ(controller->getParameterInfo(kToneloomParams + 1, info), kInvalidArgument);
    EXPECT_EQ(controller->getParameterInfo(-1, info), kInvalidArgument);
}

TEST_F(ToneloomModuleTest, BusesAreAStereoInputAndAStereoOutput)
{
    IComponent* component = plugin.Plugin().Component();
    ASSERT_EQ(component->getBusCount(kAudio, kInput), 1);
    ASSERT_EQ(component->getBusCount(kAudio, kOutput), 1);
    EXPECT_EQ(component->getBusCount(kEvent, kInput), 0);
    BusInfo info{};
    ASSERT_EQ(component->getBusInfo(kAudio, kInput, 0, info), kResultOk);
    EXPECT_EQ(Utf16ToUtf8(info.name), "Main Input");
    EXPECT_EQ(info.channelCount, 2);
    EXPECT_EQ(info.busType, kMain);
    EXPECT_EQ(info.flags, BusInfo::kDefaultActive);
    ASSERT_EQ(component->getBusInfo(kAudio, kOutput, 0, info), kResultOk);
    EXPECT_EQ(Utf16ToUtf8(info.name), "Output");
    EXPECT_EQ(info.channelCount, 2);
    EXPECT_EQ(component->getBusInfo(kAudio, kOutput, 1, info), kInvalidArgument);
}

TEST_F(ToneloomModuleTest, BusArrangementsFollowTheSupportedLayouts)
{
    IAudioProcessor* processor = plugin.Plugin().Processor();
    SpeakerArrangement stereo = SpeakerArr::kStereo;
    SpeakerArrangement mono = SpeakerArr::kMono;
    SpeakerArrangement twoStereo[2] = {SpeakerArr::kStereo, SpeakerArr::kStereo};
    EXPECT_EQ(processor->setBusArrangements(&stereo, 1, &stereo, 1), kResultOk);
    EXPECT_EQ(processor->setBusArrangements(twoStereo, 2, &stereo, 1), kResultFalse);
    EXPECT_EQ(processor->setBusArrangements(&stereo, 1, &mono, 1), kResultFalse);
    EXPECT_EQ(processor->setBusArrangements(nullptr, 0, &stereo, 1), kResultFalse);
    ASSERT_EQ(processor->setBusArrangements(&mono, 1, &mono, 1), kResultOk);
    SpeakerArrangement arrangement = 0;
    ASSERT_EQ(processor->getBusArrangement(kOutput, 0, arrangement), kResultOk);
    EXPECT_EQ(arrangement, SpeakerArr::kMono);
    BusInfo info{};
    ASSERT_EQ(plugin.Plugin().Component()->getBusInfo(kAudio, kInput, 0, info), kResultOk);
    EXPECT_EQ(Utf16ToUtf8(info.name), "Input");
    EXPECT_EQ(info.channelCount, 1);
    ASSERT_EQ(processor->setBusArrangements(&stereo, 1, &stereo, 1), kResultOk);
    ASSERT_EQ(processor->getBusArrangement(kInput, 0, arrangement), kResultOk);
    EXPECT_EQ(arrangement, SpeakerArr::kStereo);
}

TEST_F(ToneloomModuleTest, UnitsAndTheFactoryPresetProgramList)
{
    IUnitInfo* units = plugin.Plugin().Units();
    ASSERT_NE(units, nullptr);
    EXPECT_EQ(units->getUnitCount(), 1);
    UnitInfo unit{};
    ASSERT_EQ(units->getUnitInfo(0, unit), kResultOk);
    EXPECT_EQ(unit.id, kRootUnitId);
    EXPECT_EQ(unit.parentUnitId, kNoParentUnitId);
    EXPECT_EQ(Utf16ToUtf8(unit.name), "Root Unit");
    EXPECT_EQ(unit.programListId, static_cast<ProgramListID>(kPresetParamId));
    EXPECT_EQ(units->getUnitInfo(1, unit), kResultFalse);
    ASSERT_EQ(units->getProgramListCount(), 1);
    ProgramListInfo list{};
    ASSERT_EQ(units->getProgramListInfo(0, list), kResultOk);
    EXPECT_EQ(list.id, static_cast<ProgramListID>(kPresetParamId));
    EXPECT_EQ(Utf16ToUtf8(list.name), "Factory Presets");
    EXPECT_EQ(list.programCount, kPresetSlots);
    EXPECT_EQ(units->getProgramListInfo(1, list), kResultFalse);
    String128 name{};
    ASSERT_EQ(units->getProgramName(kPresetParamId, 0, name), kResultOk);
    EXPECT_EQ(Utf16ToUtf8(name), "---- default ----");
    ASSERT_EQ(units->getProgramName(kPresetParamId, kPresetSlots - 1, name), kResultOk);
    EXPECT_EQ(Utf16ToUtf8(name), "- 150 -");
    EXPECT_EQ(units->getProgramName(kPresetParamId, kPresetSlots, name), kResultFalse);
    EXPECT_EQ(units->getProgramName(0, 0, name), kResultFalse);
    EXPECT_EQ(units->getSelectedUnit(), kRootUnitId);
}

TEST_F(ToneloomModuleTest, ParameterTextsComeFromTheParameterRecords)
{
    IEditController* controller = plugin.Controller();
    String128 text{};
    ASSERT_EQ(controller->getParamStringByValue(kBaseFreqId, 0.0, text), kResultOk);
    EXPECT_EQ(Utf16ToUtf8(text), "20.0");
    ASSERT_EQ(controller->getParamStringByValue(kBaseFreqId, 1.0, text), kResultOk);
    EXPECT_EQ(Utf16ToUtf8(text), "20000.0");
    ASSERT_EQ(controller->getParamStringByValue(kVolumeId, 0.9, text), kResultOk);
    EXPECT_EQ(Utf16ToUtf8(text), "90");
    EXPECT_EQ(controller->getParamStringByValue(kPresetParamId, 0.0, text), kResultFalse);
    EXPECT_EQ(controller->getParamStringByValue(1000, 0.0, text), kResultFalse);
    EXPECT_EQ(controller->getParamStringByValue(kBaseFreqId, std::nan(""), text), kInvalidArgument);

    // Typed text is a plain value; its normalised value round-trips.
    String128 typed{};
    TextToUtf16("5015", typed, kString128Units);
    ParamValue normalised = -1.0;
    ASSERT_EQ(controller->getParamValueByString(kBaseFreqId, typed, normalised), kResultOk);
    EXPECT_NEAR(normalised, 0.5, 1e-12);
    EXPECT_NEAR(controller->normalizedParamToPlain(kBaseFreqId, 0.5), 5015.0, 1e-9);
    EXPECT_NEAR(controller->plainParamToNormalized(kBaseFreqId, 5015.0), 0.5, 1e-12);
    EXPECT_NEAR(controller->plainParamToNormalized(kPresetParamId, 149.0), 1.0, 1e-12);
    EXPECT_DOUBLE_EQ(controller->plainParamToNormalized(4711, 0.25), 0.25);
}

TEST_F(ToneloomModuleTest, SettersChangeValues)
{
    IEditController* controller = plugin.Controller();
    // Selecting a never-filled slot names it and keeps every value.
    std::vector<uint8_t> before;
    ASSERT_TRUE(plugin.Plugin().SaveState(&before));
    ASSERT_EQ(controller->setParamNormalized(kPresetParamId, 1.0), kResultOk);
    EXPECT_DOUBLE_EQ(controller->getParamNormalized(kPresetParamId), 1.0);
    std::vector<uint8_t> after;
    ASSERT_TRUE(plugin.Plugin().SaveState(&after));
    EXPECT_EQ(before, after);

    ASSERT_EQ(controller->setParamNormalized(kBypassParamId, 1.0), kResultOk);
    EXPECT_DOUBLE_EQ(controller->getParamNormalized(kBypassParamId), 1.0);
    ASSERT_EQ(controller->setParamNormalized(kBypassParamId, 0.0), kResultOk);
    EXPECT_DOUBLE_EQ(controller->getParamNormalized(kBypassParamId), 0.0);

    ASSERT_EQ(controller->setParamNormalized(kBinauralId, 0.5), kResultOk);
    EXPECT_NEAR(controller->getParamNormalized(kBinauralId), 0.5, 1e-12);
    EXPECT_EQ(controller->setParamNormalized(4711, 0.5), kResultFalse);
    EXPECT_DOUBLE_EQ(controller->getParamNormalized(4711), 0.0);
}

TEST_F(ToneloomModuleTest, AutomationAppliesTheLastPointOfAQueueBeforeTheBlock)
{
    // Base Freq runs 20..20000 Hz with shape 2: 0.3 is 20 + 19980 * 0.09 Hz.
    const double lastNormalised = 0.3;
    const double lastHz = 20.0 + 19980.0 * lastNormalised * lastNormalised;
    ASSERT_TRUE(data->Changes().Add(kBaseFreqId, 0, 0.9));
    ASSERT_TRUE(data->Changes().Add(kBaseFreqId, 100, lastNormalised));
    ASSERT_TRUE(data->Changes().Add(kFadeId, 0, 0.0)); // shortest glide
    ProcessOneBlock();
    EXPECT_NEAR(plugin.Controller()->getParamNormalized(kBaseFreqId), lastNormalised, 1e-9);
    std::vector<uint8_t> state;
    ASSERT_TRUE(plugin.Plugin().SaveState(&state));
    EXPECT_NEAR(StateValues(state)[kBaseFreqId], lastHz, 1e-6);

    const int measure = static_cast<int>(kRate);
    const StereoOut out = plugin.Render(*data, measure, kBlock);
    EXPECT_NEAR(FrequencyHz(out.left, measure / 2, measure / 2, kRate), 1818.2, 0.1);
}

TEST_F(ToneloomModuleTest, ProgramChangeSelectsTheRoundedSlot)
{
    IUnitInfo* units = plugin.Plugin().Units();
    ASSERT_TRUE(data->Changes().Add(kPresetParamId, 0, 1.0));
    ProcessOneBlock();
    EXPECT_DOUBLE_EQ(plugin.Controller()->getParamNormalized(kPresetParamId), 1.0);
    String128 name{};
    ASSERT_EQ(units->getProgramName(kPresetParamId, 149, name), kResultOk);
    EXPECT_EQ(Utf16ToUtf8(name), "user preset 1"); // slot 149 was never filled

    // 149 * 0.5 = 74.5, plus 0.5 and truncated: slot 75.
    ASSERT_TRUE(data->Changes().Add(kPresetParamId, 0, 0.5));
    ProcessOneBlock();
    EXPECT_NEAR(plugin.Controller()->getParamNormalized(kPresetParamId), 75.0 / 149.0, 1e-12);
}

TEST_F(ToneloomModuleTest, StateIsTheParameterRecordOf184Bytes)
{
    std::vector<uint8_t> state;
    ASSERT_TRUE(plugin.Plugin().SaveState(&state));
    ASSERT_EQ(state.size(), static_cast<size_t>(kToneloomStateBytes));
    EXPECT_TRUE(StateIsInRange(plugin, state));
    const std::vector<double> values = StateValues(state);
    EXPECT_DOUBLE_EQ(values[kBaseFreqId], 200.0);
    EXPECT_DOUBLE_EQ(values[kBinauralId], 4.0);
    // The controller keeps no state of its own.
    std::vector<uint8_t> controllerState = {1, 2, 3};
    ASSERT_TRUE(plugin.Plugin().SaveControllerState(&controllerState));
    EXPECT_TRUE(controllerState.empty());
}

TEST_F(ToneloomModuleTest, EverySlotSurvivesASaveLoadSaveRoundTrip)
{
    int filledSlots = 0;
    for (int slot = 0; slot < kPresetSlots; ++slot) {
        ASSERT_TRUE(data->Changes().Add(kPresetParamId, 0, slot / 149.0));
        ProcessOneBlock();
        ASSERT_NEAR(plugin.Controller()->getParamNormalized(kPresetParamId), slot / 149.0, 1e-12);
        std::vector<uint8_t> first;
        ASSERT_TRUE(plugin.Plugin().SaveState(&first));
        ASSERT_EQ(first.size(), static_cast<size_t>(kToneloomStateBytes)) << "slot " << slot;
        ASSERT_EQ(plugin.Plugin().LoadState(first), kResultOk) << "slot " << slot;
        std::vector<uint8_t> second;
        ASSERT_TRUE(plugin.Plugin().SaveState(&second));
        EXPECT_EQ(first, second) << "slot " << slot;
        EXPECT_TRUE(StateIsInRange(plugin, first)) << "slot " << slot;
        String128 name{};
        plugin.Plugin().Units()->getProgramName(kPresetParamId, slot, name);
        if (Utf16ToUtf8(name).find("user preset") == std::string::npos) {
            ++filledSlots;
        }
    }
    EXPECT_EQ(filledSlots, kFactoryPresets);
}

TEST_F(ToneloomModuleTest, LoadingAStateRestoresEveryParameter)
{
    std::vector<uint8_t> original;
    ASSERT_TRUE(plugin.Plugin().SaveState(&original));
    ASSERT_TRUE(data->Changes().Add(kPresetParamId, 0, 20 / 149.0));
    ProcessOneBlock();
    std::vector<uint8_t> changed;
    ASSERT_TRUE(plugin.Plugin().SaveState(&changed));
    ASSERT_NE(original, changed);
    ASSERT_EQ(plugin.Plugin().LoadState(original), kResultOk);
    std::vector<uint8_t> restored;
    ASSERT_TRUE(plugin.Plugin().SaveState(&restored));
    EXPECT_EQ(original, restored);
    EXPECT_NEAR(plugin.Controller()->getParamNormalized(kBaseFreqId),
                plugin.Controller()->plainParamToNormalized(kBaseFreqId, 200.0), 1e-12);
}

TEST_F(ToneloomModuleTest, BypassPassesTheInputThrough)
{
    for (int32 sampleSize : {kSample32, kSample64}) {
        HostedPlugin bypassed(ToneloomBundle());
        ASSERT_TRUE(bypassed.Start(kRate, kBlock, sampleSize));
        auto builder = StereoBuilder(kBlock, sampleSize, kRate);
        for (int s = 0; s < kBlock; ++s) {
            const double left = 0.5 * std::sin(0.05 * s);
            const double right = -0.25 * std::cos(0.03 * s);
            builder->Input32(0, 0)[s] = static_cast<float>(left);
            builder->Input32(0, 1)[s] = static_cast<float>(right);
            builder->Input64(0, 0)[s] = left;
            builder->Input64(0, 1)[s] = right;
        }
        ASSERT_TRUE(builder->Changes().Add(kBypassParamId, 0, 1.0));
        const StereoOut out = bypassed.Render(*builder, kBlock, kBlock);
        for (int s = 0; s < kBlock; ++s) {
            const double left =
                sampleSize == kSample64 ? builder->Input64(0, 0)[s] : builder->Input32(0, 0)[s];
            const double right =
                sampleSize == kSample64 ? builder->Input64(0, 1)[s] : builder->Input32(0, 1)[s];
            ASSERT_EQ(out.left[static_cast<size_t>(s)], left) << "sample " << s;
            ASSERT_EQ(out.right[static_cast<size_t>(s)], right) << "sample " << s;
        }
        EXPECT_DOUBLE_EQ(bypassed.Controller()->getParamNormalized(kBypassParamId), 1.0);
    }
}

TEST_F(ToneloomModuleTest, HostNameDecidesWhetherAnErroringStreamIsRead)
{
    // A stream that delivers its bytes but reports an error with every read.
    class ErroringStream : public MemoryStream
    {
    public:
        tresult PLUGIN_API read(void* buffer, int32 numBytes, int32* numBytesRead) override
        {
            MemoryStream::read(buffer, numBytes, numBytesRead);
            return kResultFalse;
        }
    };
    std::vector<uint8_t> preset;
    ASSERT_TRUE(data->Changes().Add(kPresetParamId, 0, 20 / 149.0));
    ProcessOneBlock();
    ASSERT_TRUE(plugin.Plugin().SaveState(&preset));

    for (const char* hostName : {"WaveLab 11", "Some Other Host"}) {
        HostedPlugin fresh(ToneloomBundle());
        fresh.application->SetName(hostName);
        ASSERT_TRUE(fresh.Start(kRate, kBlock));
        std::vector<uint8_t> before;
        ASSERT_TRUE(fresh.Plugin().SaveState(&before));
        ErroringStream stream;
        int32 written = 0;
        stream.write(preset.data(), static_cast<int32>(preset.size()), &written);
        stream.seek(0, IBStream::kIBSeekSet, nullptr);
        const tresult result = fresh.Plugin().Component()->setState(&stream);
        std::vector<uint8_t> after;
        ASSERT_TRUE(fresh.Plugin().SaveState(&after));
        if (std::string(hostName).find("WaveLab") != std::string::npos) {
            EXPECT_EQ(result, kResultOk);
            EXPECT_EQ(after, preset);
        } else {
            EXPECT_EQ(result, kResultFalse);
            EXPECT_EQ(after, before);
        }
    }
}

} // namespace
} // namespace toneloom::testing
