// Toneloom through its loaded module, where hosts have been let down before:
// typed values, program changes from either side reaching the host, the
// tail a host may suspend on, and a host without any transport.
#include "HostText.h"
#include "ModuleHost.h"
#include "ToneMeasure.h"
#include "Vst3Ids.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <string>
#include <vector>

namespace toneloom::testing {
namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

constexpr double kRate = 48000.0;
constexpr int kBlock = 256;
constexpr int kToneloomParams = 23;
constexpr ParamID kBinauralId = 1;
constexpr ParamID kWaveId = 2;
constexpr ParamID kBeatsId = 4;
constexpr ParamID kPlayAnywayId = 5;
constexpr ParamID kFadeId = 6;
constexpr ParamID kLfo1RateDivId = 11;
// Text round trips are compared on the value they stand for.
constexpr double kNormalisedTolerance = 1e-9;

class Started
{
public:
    Started() { EXPECT_TRUE(plugin.Start(kRate, kBlock)); }
    HostedPlugin plugin{ToneloomBundle()};
};

// The normalised value `text` stands for, or the sentinel -1 when the
// controller refuses it (and then it must have left the value alone).
double Typed(IEditController* controller, ParamID id, const std::string& text)
{
    String128 typed{};
    TextToUtf16(text.c_str(), typed, kString128Units);
    ParamValue normalised = -1.0;
    const tresult result = controller->getParamValueByString(id, typed, normalised);
    if (result != kResultOk) {
        EXPECT_EQ(normalised, -1.0) << "refused \"" << text << "\" but changed the value";
        return -1.0;
    }
    return normalised;
}

std::string Shown(IEditController* controller, ParamID id, double normalised)
{
    String128 text{};
    EXPECT_EQ(controller->getParamStringByValue(id, normalised, text), kResultOk);
    return Utf16ToUtf8(text);
}

std::string Changed(std::string text, int (*change)(int))
{
    for (char& c : text) {
        c = static_cast<char>(change(static_cast<unsigned char>(c)));
    }
    return text;
}

// Typed values, one case per parameter.

class TypedValueTest : public ::testing::TestWithParam<int>
{
};

TEST_P(TypedValueTest, ShownTextsReadBackAndUnreadableTextIsRefused)
{
    Started host;
    IEditController* controller = host.plugin.Controller();
    const auto id = static_cast<ParamID>(GetParam());
    ParameterInfo info{};
    ASSERT_EQ(controller->getParameterInfo(GetParam() + 1, info), kResultOk); // after "Presets"
    ASSERT_EQ(info.id, id);
    const std::string unit = Utf16ToUtf8(info.units);

    std::vector<double> values;
    if (info.stepCount > 0 && info.stepCount <= 100) {
        for (int32 step = 0; step <= info.stepCount; ++step) {
            values.push_back(static_cast<double>(step) / info.stepCount);
        }
    } else {
        values = {0.0, 0.013, 0.25, 0.5, 0.77, 1.0};
    }
    for (double normalised : values) {
        const std::string text = Shown(controller, id, normalised);
        const double read = Typed(controller, id, text);
        ASSERT_GE(read, 0.0) << "\"" << text << "\" was refused";
        // The text stands for the value it was made from.
        EXPECT_EQ(Shown(controller, id, read), text);
        if (info.stepCount > 0 && info.stepCount <= 100) {
            EXPECT_NEAR(read, normalised, kNormalisedTolerance) << text;
        }
        EXPECT_NEAR(Typed(controller, id, Changed(text, std::tolower)), read, kNormalisedTolerance);
        EXPECT_NEAR(Typed(controller, id, Changed(text, std::toupper)), read, kNormalisedTolerance);
        EXPECT_NEAR(Typed(controller, id, "  " + text + " "), read, kNormalisedTolerance);
        if (!unit.empty()) {
            EXPECT_NEAR(Typed(controller, id, text + " " + unit), read, kNormalisedTolerance);
            EXPECT_NEAR(Typed(controller, id, text + unit), read, kNormalisedTolerance);
        }
    }

    for (const char* unreadable : {"", "   ", "abc", "12 parsecs", "nan", "inf", "1..2", "--3",
                                   "Sine Wave", "1/4x", "Yes please"}) {
        EXPECT_EQ(Typed(controller, id, unreadable), -1.0) << "\"" << unreadable << "\"";
    }
}

std::string ParamName(const ::testing::TestParamInfo<int>& info)
{
    static const char* const kNames[kToneloomParams] = {
        "BaseFreq",    "Binaural",   "Wave",       "BinauralPan", "Beats",    "PlayAnyway",
        "Fade",        "Volume",     "Lfo1Target", "Lfo1Wave",    "Lfo1Sync", "Lfo1RateDiv",
        "Lfo1RateMs",  "Lfo1Depth",  "Lfo1Start",  "Lfo2Target",  "Lfo2Wave", "Lfo2Sync",
        "Lfo2RateDiv", "Lfo2RateMs", "Lfo2Depth",  "Lfo2Start",   "LfosSync"};
    return kNames[info.param];
}

INSTANTIATE_TEST_SUITE_P(EveryParameter, TypedValueTest, ::testing::Range(0, kToneloomParams),
                         ParamName);

TEST(TypedValues, MeanWhatTheUserTyped)
{
    Started host;
    IEditController* controller = host.plugin.Controller();
    auto plain = [&](ParamID id, const char* text) {
        return controller->normalizedParamToPlain(id, Typed(controller, id, text));
    };
    EXPECT_DOUBLE_EQ(plain(kBeatsId, "Monaural"), 1.0);
    EXPECT_DOUBLE_EQ(plain(kBeatsId, "monaural"), 1.0);
    EXPECT_DOUBLE_EQ(plain(kWaveId, "Gold. Square"), 6.0);
    EXPECT_DOUBLE_EQ(plain(kPlayAnywayId, "Yes"), 1.0);
    EXPECT_DOUBLE_EQ(plain(kLfo1RateDivId, "1/4"), 9.0);
    EXPECT_DOUBLE_EQ(plain(kLfo1RateDivId, "1/16T"), 1.0);
    EXPECT_NEAR(plain(kBinauralId, "7.83 Hz"), 7.83, 1e-9);
    EXPECT_NEAR(plain(kBinauralId, "7,83"), 7.83, 1e-9); // a decimal comma
    // A thousands separator or a decimal comma: too close to call.
    EXPECT_EQ(Typed(controller, kFadeId, "1,500 ms"), -1.0);
    EXPECT_EQ(Typed(controller, kFadeId, "1.500,5"), -1.0);
    EXPECT_NEAR(plain(kFadeId, "1500 ms"), 1500.0, 1e-9);
    EXPECT_NEAR(plain(kBinauralId, "+1e1hz"), 10.0, 1e-9);
    // Beyond the range: the nearest end.
    EXPECT_NEAR(plain(kBinauralId, "600"), 512.0, 1e-9);
    EXPECT_NEAR(plain(kBinauralId, "-3 Hz"), 0.0, 1e-9);
    // A list takes only its texts: its position numbers are never shown.
    EXPECT_EQ(Typed(controller, kBeatsId, "1"), -1.0);
    EXPECT_EQ(Typed(controller, kLfo1RateDivId, "4"), -1.0);
    // The unit of another parameter is not this one's.
    EXPECT_EQ(Typed(controller, kBinauralId, "7 ms"), -1.0);
}

// Program changes.

int SlotNamed(HostedPlugin& plugin, const std::string& name)
{
    String128 text{};
    for (int32 slot = 0; slot < 150; ++slot) {
        if (plugin.Plugin().Units()->getProgramName(kPresetParamId, slot, text) == kResultOk &&
            Utf16ToUtf8(text) == name) {
            return slot;
        }
    }
    ADD_FAILURE() << "no program " << name;
    return 0;
}

// The last value of each queue the plug-in wrote into `changes`.
std::map<ParamID, double> Reported(IParameterChanges& changes)
{
    std::map<ParamID, double> values;
    for (int32 q = 0; q < changes.getParameterCount(); ++q) {
        IParamValueQueue* queue = changes.getParameterData(q);
        int32 offset = -1;
        ParamValue value = 0.0;
        if (queue != nullptr && queue->getPointCount() > 0 &&
            queue->getPoint(queue->getPointCount() - 1, offset, value) == kResultOk) {
            EXPECT_EQ(offset, 0);
            values[queue->getParameterId()] = value;
        }
    }
    return values;
}

bool HandlerSaw(HostedPlugin& plugin, host::HandlerEvent::Kind kind, int32 flags = 0)
{
    for (const host::HandlerEvent& event : plugin.handler->Events()) {
        if (event.kind == kind && (kind != host::HandlerEvent::kRestart || event.flags == flags)) {
            return true;
        }
    }
    return false;
}

TEST(ProgramChange, FromAProcessQueueGoesOutAsOutputParameterChanges)
{
    Started host;
    HostedPlugin& plugin = host.plugin;
    IEditController* controller = plugin.Controller();
    const int slot = SlotNamed(plugin, "Binaural - 0.2 (Dental pain)");
    auto data = StereoBuilder(kBlock, kSample32, kRate);
    plugin.handler->Clear();

    ASSERT_TRUE(data->Changes().Add(kPresetParamId, 0, slot / 149.0));
    ASSERT_TRUE(data->Changes().Add(kWaveId, 0, 0.0)); // the host's own value, after the program
    ASSERT_EQ(plugin.Plugin().Process(data->Block(kBlock)), kResultOk);
    const std::map<ParamID, double> reported = Reported(data->OutputChanges());
    data->Advance(kBlock);

    // "Binaural" was 4.0; the host now hears 0.2 Hz from the plug-in.
    ASSERT_EQ(reported.count(kBinauralId), 1u);
    EXPECT_NEAR(controller->normalizedParamToPlain(kBinauralId, reported.at(kBinauralId)), 0.2,
                1e-9);
    for (const auto& [id, value] : reported) {
        EXPECT_LT(id, static_cast<ParamID>(kToneloomParams));
        EXPECT_DOUBLE_EQ(value, controller->getParamNormalized(id)) << "parameter " << id;
    }
    // Neither the host's own values nor unchanged ones are echoed.
    EXPECT_EQ(reported.count(kWaveId), 0u);
    EXPECT_EQ(reported.count(kPresetParamId), 0u);
    EXPECT_LT(reported.size(), static_cast<size_t>(kToneloomParams));
    // Nothing reached the component handler from the audio thread.
    EXPECT_TRUE(plugin.handler->Events().empty());

    // The same program again: only what the host had changed since comes back.
    ASSERT_TRUE(data->Changes().Add(kPresetParamId, 0, slot / 149.0));
    ASSERT_EQ(plugin.Plugin().Process(data->Block(kBlock)), kResultOk);
    const std::map<ParamID, double> again = Reported(data->OutputChanges());
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again.begin()->first, kWaveId);
    data->Advance(kBlock);
    // A block of no samples still carries the program change.
    ASSERT_TRUE(data->Changes().Add(kPresetParamId, 0, 0.0));
    ASSERT_EQ(plugin.Plugin().Process(data->Block(0)), kResultOk);
    EXPECT_EQ(Reported(data->OutputChanges()).count(kBinauralId), 1u);
}

TEST(ProgramChange, ThroughTheControllerAsksTheHostToReadTheValuesAgain)
{
    Started host;
    HostedPlugin& plugin = host.plugin;
    IEditController* controller = plugin.Controller();
    const int slot = SlotNamed(plugin, "Binaural - 0.2 (Dental pain)");
    plugin.handler->Clear();

    ASSERT_EQ(controller->setParamNormalized(kPresetParamId, slot / 149.0), kResultOk);
    EXPECT_TRUE(HandlerSaw(plugin, host::HandlerEvent::kRestart, kParamValuesChanged));
    EXPECT_NEAR(controller->normalizedParamToPlain(kBinauralId,
                                                   controller->getParamNormalized(kBinauralId)),
                0.2, 1e-9);
    EXPECT_NEAR(controller->getParamNormalized(kPresetParamId), slot / 149.0, 1e-12);

    // The host echoing the value it set (or restoring it) reloads nothing:
    // an edit made since stays.
    ASSERT_EQ(controller->setParamNormalized(kBinauralId, 0.5), kResultOk);
    plugin.handler->Clear();
    ASSERT_EQ(controller->setParamNormalized(kPresetParamId, slot / 149.0), kResultOk);
    EXPECT_TRUE(plugin.handler->Events().empty());
    EXPECT_NEAR(controller->getParamNormalized(kBinauralId), 0.5, 1e-12);

    // And the tone follows: the program's values reached the engine, not
    // only the host's view.
    const int solfeggio = SlotNamed(plugin, "Solfeggio MI - 528 Hz (Transformation and Miracles, "
                                            "DNA Repair)");
    ASSERT_EQ(controller->setParamNormalized(kPresetParamId, solfeggio / 149.0), kResultOk);
    auto data = StereoBuilder(kBlock, kSample32, kRate);
    const StereoOut out = plugin.Render(*data, static_cast<int>(kRate * 4), kBlock);
    const int second = static_cast<int>(kRate);
    EXPECT_NEAR(FrequencyHz(out.left, 3 * second, second, kRate), 528.0, 0.05);
}

// The tail and the transport.

TEST(HostBoundary, TheTailIsInfinite)
{
    Started host;
    EXPECT_EQ(host.plugin.Plugin().Processor()->getTailSamples(), kInfiniteTail);
}

TEST(HostBoundary, WithoutAnyProcessContextTheToneKeepsPlaying)
{
    const int seconds = 3;
    for (bool withContext : {false, true}) {
        Started host;
        auto data = StereoBuilder(kBlock, kSample32, kRate);
        // With a context, the transport is stopped and "Play Anyway" is off.
        data->SetPlaying(false);
        StereoOut out;
        for (int block = 0; block < seconds * static_cast<int>(kRate) / kBlock; ++block) {
            ProcessData& process = data->Block(kBlock);
            process.processContext = withContext ? &data->Context() : nullptr;
            ASSERT_EQ(host.plugin.Plugin().Process(process), kResultOk);
            out.left.insert(out.left.end(), data->Output32(0, 0), data->Output32(0, 0) + kBlock);
            data->Advance(kBlock);
        }
        const int lastSecond = (seconds - 1) * static_cast<int>(kRate);
        const double peak = Peak(out.left, lastSecond, static_cast<int>(kRate));
        if (withContext) {
            EXPECT_LT(peak, 1e-3) << "a stopped transport fades the tone out";
        } else {
            EXPECT_GT(peak, 0.1) << "no transport at all: the tone plays";
        }
    }
}

} // namespace
} // namespace toneloom::testing
