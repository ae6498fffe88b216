// Hosts that get things wrong, through the loaded modules: oversized blocks,
// parameter-only calls, missing or null buffers, missing or inactive input
// buses, non-finite values, refused setups, damaged state and calls out of
// order. Nothing may crash, no NaN or infinity may reach an output, nothing
// may be written past a buffer (the sanitizer build checks that), and the
// state saved afterwards must still be the full record of in-range values.
#include "ModuleHost.h"
#include "ToneMeasure.h"
#include "Vst3Ids.h"

#include "public.sdk/source/common/memorystream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace toneloom::testing {
namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

constexpr double kRate = 48000.0;
constexpr int kMaxBlock = 256;
constexpr double kSentinel = 1234.5; // a value no output sample takes
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

bool OutputsFinite(host::ProcessDataBuilder& data, int frames)
{
    for (int c = 0; c < 2; ++c) {
        for (int s = 0; s < frames; ++s) {
            const double v =
                data.SampleSize() == kSample64 ? data.Output64(0, c)[s] : data.Output32(0, c)[s];
            if (!std::isfinite(v)) {
                return false;
            }
        }
    }
    return true;
}

class BadHostInputTest : public ::testing::TestWithParam<const char*>
{
protected:
    std::string Bundle() const
    {
        return std::string(GetParam()) == "Toneloom" ? ToneloomBundle() : AdapterTestBundle();
    }
};

TEST_P(BadHostInputTest, BlockTwiceTheNegotiatedMaximumIsRenderedInPieces)
{
    for (int32 sampleSize : {kSample32, kSample64}) {
        HostedPlugin plugin(Bundle());
        ASSERT_TRUE(plugin.Start(kRate, kMaxBlock, sampleSize));
        auto data = StereoBuilder(2 * kMaxBlock, sampleSize, kRate);
        data->FillInput(0, 0, 0.25);
        data->FillInput(0, 1, 0.25);
        data->FillOutputs(kSentinel);
        ASSERT_EQ(plugin.Plugin().Process(data->Block(2 * kMaxBlock)), kResultOk);
        for (int c = 0; c < 2; ++c) {
            for (int s = 0; s < 2 * kMaxBlock; ++s) {
                const double v =
                    sampleSize == kSample64 ? data->Output64(0, c)[s] : data->Output32(0, c)[s];
                ASSERT_NE(v, kSentinel) << "sample " << s << " of channel " << c << " not rendered";
                ASSERT_TRUE(std::isfinite(v));
            }
        }
        EXPECT_TRUE(SavedStateIsInRange(plugin));
    }
}

TEST_P(BadHostInputTest, ParameterChangesWithoutAudioAreStillApplied)
{
    HostedPlugin plugin(Bundle());
    ASSERT_TRUE(plugin.Start(kRate, kMaxBlock));
    host::ParameterChanges changes;
    ASSERT_TRUE(changes.Add(kPresetParamId, 0, 1.0 / 3.0)); // adapter test effect: slot 1
    ProcessData data;
    data.numSamples = 0;
    data.numInputs = 0;
    data.numOutputs = 0;
    data.inputs = nullptr;
    data.outputs = nullptr;
    data.inputParameterChanges = &changes;
    ASSERT_EQ(plugin.Plugin().Process(data), kResultOk);
    EXPECT_GT(plugin.Controller()->getParamNormalized(kPresetParamId), 0.0);
    changes.Clear();
    ASSERT_TRUE(changes.Add(0, 0, 0.75));
    ASSERT_EQ(plugin.Plugin().Process(data), kResultOk);
    EXPECT_NEAR(plugin.Controller()->getParamNormalized(0), 0.75, 1e-9);
    EXPECT_TRUE(SavedStateIsInRange(plugin));
}

TEST_P(BadHostInputTest, NullChannelArraysAndPointersGetNoAudioWork)
{
    for (int32 sampleSize : {kSample32, kSample64}) {
        HostedPlugin plugin(Bundle());
        ASSERT_TRUE(plugin.Start(kRate, kMaxBlock, sampleSize));
        auto data = StereoBuilder(kMaxBlock, sampleSize, kRate);
        ProcessData& block = data->Block(kMaxBlock);
        AudioBusBuffers& out = block.outputs[0];
        AudioBusBuffers& in = block.inputs[0];
        void* savedOut = out.channelBuffers32;
        void* savedIn = in.channelBuffers32;

        // Null channel arrays on both sides; the block's change still lands.
        out.channelBuffers32 = nullptr;
        in.channelBuffers32 = nullptr;
        ASSERT_TRUE(data->Changes().Add(0, 0, 0.25));
        EXPECT_EQ(plugin.Plugin().Process(block), kResultOk);
        EXPECT_NEAR(plugin.Controller()->getParamNormalized(0), 0.25, 1e-9);
        data->Changes().Clear();

        // A null pointer inside otherwise good channel arrays.
        out.channelBuffers32 = static_cast<float**>(savedOut);
        in.channelBuffers32 = static_cast<float**>(savedIn);
        float* keptOut = out.channelBuffers32[1];
        float* keptIn = in.channelBuffers32[0];
        out.channelBuffers32[1] = nullptr;
        in.channelBuffers32[0] = nullptr;
        EXPECT_EQ(plugin.Plugin().Process(block), kResultOk);
        out.channelBuffers32[1] = keptOut;
        in.channelBuffers32[0] = keptIn;

        // More channels claimed than the plug-in has lines.
        const int32 claimed = out.numChannels;
        out.numChannels = 1000;
        in.numChannels = 1000;
        EXPECT_EQ(plugin.Plugin().Process(block), kResultOk);
        out.numChannels = claimed;
        in.numChannels = claimed;

        data->FillOutputs(kSentinel);
        EXPECT_EQ(plugin.Plugin().Process(block), kResultOk);
        EXPECT_TRUE(OutputsFinite(*data, kMaxBlock));
        EXPECT_TRUE(SavedStateIsInRange(plugin));
    }
}

TEST_P(BadHostInputTest, MissingOrInactiveInputBusReadsSilenceNotOldInput)
{
    for (int32 sampleSize : {kSample32, kSample64}) {
        HostedPlugin plugin(Bundle());
        ASSERT_TRUE(plugin.Start(kRate, kMaxBlock, sampleSize));
        auto data = StereoBuilder(kMaxBlock, sampleSize, kRate);
        ASSERT_TRUE(data->Changes().Add(kBypassParamId, 0, 1.0)); // output = input
        data->FillInput(0, 0, 0.5);
        data->FillInput(0, 1, 0.5);
        ProcessData& block = data->Block(kMaxBlock);
        ASSERT_EQ(plugin.Plugin().Process(block), kResultOk);
        EXPECT_EQ(sampleSize == kSample64 ? data->Output64(0, 0)[10] : data->Output32(0, 0)[10],
                  0.5);

        // No input bus at all.
        block.numInputs = 0;
        data->FillOutputs(kSentinel);
        ASSERT_EQ(plugin.Plugin().Process(block), kResultOk);
        for (int s = 0; s < kMaxBlock; ++s) {
            ASSERT_EQ(sampleSize == kSample64 ? data->Output64(0, 0)[s] : data->Output32(0, 0)[s],
                      0.0);
        }

        // The input bus deactivated.
        block.numInputs = 1;
        ASSERT_EQ(plugin.Plugin().Process(block), kResultOk);
        ASSERT_EQ(plugin.Plugin().Component()->activateBus(kAudio, kInput, 0, false), kResultTrue);
        data->FillOutputs(kSentinel);
        ASSERT_EQ(plugin.Plugin().Process(block), kResultOk);
        for (int s = 0; s < kMaxBlock; ++s) {
            ASSERT_EQ(sampleSize == kSample64 ? data->Output64(0, 1)[s] : data->Output32(0, 1)[s],
                      0.0);
        }
        EXPECT_TRUE(SavedStateIsInRange(plugin));
    }
}

TEST_P(BadHostInputTest, NonFiniteNormalisedValuesAreIgnored)
{
    HostedPlugin plugin(Bundle());
    ASSERT_TRUE(plugin.Start(kRate, kMaxBlock));
    std::vector<uint8_t> before;
    ASSERT_TRUE(plugin.Plugin().SaveState(&before));
    const double bypassBefore = plugin.Controller()->getParamNormalized(kBypassParamId);
    const double presetBefore = plugin.Controller()->getParamNormalized(kPresetParamId);

    auto data = StereoBuilder(kMaxBlock, kSample32, kRate);
    const int params = plugin.ProductParamCount();
    for (const double bad : {kNaN, kInfinity, -kInfinity}) {
        // Every product parameter in one block, the special IDs in the next:
        // a program change would otherwise restore what the first block broke.
        for (int i = 0; i < params; ++i) {
            ASSERT_TRUE(data->Changes().Add(static_cast<ParamID>(i), 0, bad));
        }
        ASSERT_EQ(plugin.Plugin().Process(data->Block(kMaxBlock)), kResultOk);
        EXPECT_TRUE(OutputsFinite(*data, kMaxBlock));
        data->Advance(kMaxBlock);
        std::vector<uint8_t> state;
        ASSERT_TRUE(plugin.Plugin().SaveState(&state));
        EXPECT_EQ(state, before) << "after queue values " << bad;

        ASSERT_TRUE(data->Changes().Add(kPresetParamId, 0, bad));
        ASSERT_TRUE(data->Changes().Add(kBypassParamId, 0, bad));
        ASSERT_EQ(plugin.Plugin().Process(data->Block(kMaxBlock)), kResultOk);
        EXPECT_TRUE(OutputsFinite(*data, kMaxBlock));
        data->Advance(kMaxBlock);
        EXPECT_EQ(plugin.Controller()->getParamNormalized(kBypassParamId), bypassBefore);
        EXPECT_EQ(plugin.Controller()->getParamNormalized(kPresetParamId), presetBefore);

        for (int i = 0; i < params; ++i) {
            EXPECT_EQ(plugin.Controller()->setParamNormalized(static_cast<ParamID>(i), bad),
                      kInvalidArgument);
        }
        EXPECT_EQ(plugin.Controller()->setParamNormalized(kPresetParamId, bad), kInvalidArgument);
        EXPECT_EQ(plugin.Controller()->setParamNormalized(kBypassParamId, bad), kInvalidArgument);
    }
    std::vector<uint8_t> after;
    ASSERT_TRUE(plugin.Plugin().SaveState(&after));
    EXPECT_EQ(before, after);
    EXPECT_EQ(plugin.Controller()->getParamNormalized(kBypassParamId), bypassBefore);
    EXPECT_EQ(plugin.Controller()->getParamNormalized(kPresetParamId), presetBefore);

    // Values outside 0..1 are limited, not taken as they are.
    ASSERT_TRUE(data->Changes().Add(0, 0, 7.5));
    ASSERT_TRUE(data->Changes().Add(1, 0, -3.0));
    ASSERT_EQ(plugin.Plugin().Process(data->Block(kMaxBlock)), kResultOk);
    EXPECT_DOUBLE_EQ(plugin.Controller()->getParamNormalized(0), 1.0);
    EXPECT_DOUBLE_EQ(plugin.Controller()->getParamNormalized(1), 0.0);
    EXPECT_TRUE(OutputsFinite(*data, kMaxBlock));
    EXPECT_TRUE(SavedStateIsInRange(plugin));
}

TEST_P(BadHostInputTest, NonFiniteProcessContextValuesAreIgnored)
{
    HostedPlugin plugin(Bundle());
    ASSERT_TRUE(plugin.Start(kRate, kMaxBlock));
    auto data = StereoBuilder(kMaxBlock, kSample32, kRate);
    plugin.Render(*data, kMaxBlock, kMaxBlock);
    data->Context().tempo = kNaN;
    data->Context().projectTimeMusic = kInfinity;
    data->Context().barPositionMusic = kNaN;
    data->Context().timeSigDenominator = 0;
    data->Context().timeSigNumerator = -3;
    for (int i = 0; i < 8; ++i) {
        ASSERT_EQ(plugin.Plugin().Process(data->Block(kMaxBlock)), kResultOk);
        ASSERT_TRUE(OutputsFinite(*data, kMaxBlock));
    }
    EXPECT_TRUE(SavedStateIsInRange(plugin));
}

TEST_P(BadHostInputTest, ImpossibleSetupsAreRefused)
{
    HostedPlugin plugin(Bundle());
    ASSERT_TRUE(plugin.Start(kRate, kMaxBlock));
    for (const double rate : {0.0, -44100.0, kNaN, kInfinity, -kInfinity}) {
        EXPECT_EQ(plugin.Plugin().Setup(rate, kMaxBlock), kResultFalse) << "rate " << rate;
    }
    for (const int maxBlock : {0, -1, std::numeric_limits<int>::min()}) {
        EXPECT_EQ(plugin.Plugin().Setup(kRate, maxBlock), kResultFalse) << "block " << maxBlock;
    }
    EXPECT_EQ(plugin.Plugin().Setup(kRate, kMaxBlock, 7), kResultFalse);
    EXPECT_EQ(plugin.Plugin().Processor()->canProcessSampleSize(kSample64), kResultTrue);
    EXPECT_EQ(plugin.Plugin().Processor()->canProcessSampleSize(2), kResultFalse);

    // The refusals changed nothing: the old setup still renders.
    auto data = StereoBuilder(kMaxBlock, kSample32, kRate);
    data->FillOutputs(kSentinel);
    ASSERT_EQ(plugin.Plugin().Process(data->Block(kMaxBlock)), kResultOk);
    EXPECT_NE(data->Output32(0, 0)[kMaxBlock - 1], kSentinel);
    EXPECT_TRUE(OutputsFinite(*data, kMaxBlock));

    // A huge maximum is accepted; blocks render in pieces the scratch can hold.
    ASSERT_EQ(plugin.Plugin().Setup(kRate, std::numeric_limits<int>::max()), kResultOk);
    auto big = StereoBuilder(1 << 17, kSample32, kRate);
    ASSERT_EQ(plugin.Plugin().Process(big->Block(1 << 17)), kResultOk);
    EXPECT_TRUE(OutputsFinite(*big, 1 << 17));
    EXPECT_TRUE(SavedStateIsInRange(plugin));
}

std::vector<uint8_t> RandomBytes(std::mt19937& random, size_t count)
{
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<uint8_t> bytes(count);
    for (uint8_t& b : bytes) {
        b = static_cast<uint8_t>(byte(random));
    }
    return bytes;
}

TEST_P(BadHostInputTest, DamagedStateLeavesAFullRecordOfInRangeValues)
{
    HostedPlugin plugin(Bundle());
    ASSERT_TRUE(plugin.Start(kRate, kMaxBlock));
    const size_t recordBytes = static_cast<size_t>(plugin.ProductParamCount()) * sizeof(double);
    std::vector<uint8_t> good;
    ASSERT_TRUE(plugin.Plugin().SaveState(&good));
    ASSERT_EQ(good.size(), recordBytes);

    // Empty and short records change nothing and report failure.
    EXPECT_EQ(plugin.Plugin().LoadState({}), kResultFalse);
    std::vector<uint8_t> state;
    ASSERT_TRUE(plugin.Plugin().SaveState(&state));
    EXPECT_EQ(state, good);
    std::vector<uint8_t> shortRecord(good.begin(), good.end() - 1);
    EXPECT_EQ(plugin.Plugin().LoadState(shortRecord), kResultFalse);
    EXPECT_TRUE(SavedStateIsInRange(plugin));

    // The record alone, with a 4-byte trailer, and with a long tail all apply.
    EXPECT_EQ(plugin.Plugin().LoadState(good), kResultOk);
    std::vector<uint8_t> withTrailer = good;
    withTrailer.insert(withTrailer.end(), {0, 0, 0, 0});
    EXPECT_EQ(plugin.Plugin().LoadState(withTrailer), kResultOk);
    std::vector<uint8_t> longRecord = good;
    longRecord.resize(10000, 0xAB);
    EXPECT_EQ(plugin.Plugin().LoadState(longRecord), kResultOk);
    ASSERT_TRUE(plugin.Plugin().SaveState(&state));
    EXPECT_EQ(state, good);

    // Stored values that are not numbers or lie outside the ranges are limited.
    std::vector<double> wild(recordBytes / sizeof(double));
    for (size_t i = 0; i < wild.size(); ++i) {
        wild[i] = i % 3 == 0 ? kNaN : (i % 3 == 1 ? 1e300 : -kInfinity);
    }
    std::vector<uint8_t> wildBytes(recordBytes);
    std::memcpy(wildBytes.data(), wild.data(), recordBytes);
    EXPECT_EQ(plugin.Plugin().LoadState(wildBytes), kResultOk);
    EXPECT_TRUE(SavedStateIsInRange(plugin));

    // A null stream is refused.
    EXPECT_EQ(plugin.Plugin().Component()->setState(nullptr), kInvalidArgument);
    EXPECT_EQ(plugin.Plugin().Component()->getState(nullptr), kInvalidArgument);
}

TEST_P(BadHostInputTest, SeededRandomStatesNeverBreakTheRecordOrTheOutput)
{
    HostedPlugin plugin(Bundle());
    ASSERT_TRUE(plugin.Start(kRate, kMaxBlock));
    const size_t recordBytes = static_cast<size_t>(plugin.ProductParamCount()) * sizeof(double);
    auto data = StereoBuilder(kMaxBlock, kSample32, kRate);
    std::mt19937 random(20240611u);
    std::uniform_int_distribution<size_t> length(0, 2 * recordBytes + 16);
    constexpr int kRounds = 600;
    for (int round = 0; round < kRounds; ++round) {
        const std::vector<uint8_t> bytes = RandomBytes(random, length(random));
        const tresult result = plugin.Plugin().LoadState(bytes);
        ASSERT_EQ(result, bytes.size() >= recordBytes ? kResultOk : kResultFalse)
            << "round " << round << ", " << bytes.size() << " bytes";
        ASSERT_EQ(plugin.Plugin().Process(data->Block(kMaxBlock)), kResultOk);
        ASSERT_TRUE(OutputsFinite(*data, kMaxBlock)) << "round " << round;
        data->Advance(kMaxBlock);
        ASSERT_TRUE(SavedStateIsInRange(plugin)) << "round " << round;
    }
}

TEST_P(BadHostInputTest, CallsOutOfTheUsualOrder)
{
    auto data = StereoBuilder(kMaxBlock, kSample32, kRate);
    {
        // process before initialize and before setupProcessing.
        HostedPlugin plugin(Bundle());
        data->FillOutputs(kSentinel);
        EXPECT_NE(plugin.Plugin().Process(data->Block(kMaxBlock)), kResultOk);
        EXPECT_TRUE(OutputsFinite(*data, kMaxBlock));
        ASSERT_EQ(plugin.Plugin().Initialize(plugin.application->unknownCast()), kResultOk);
        plugin.Plugin().ActivateDefaultBuses();
        ASSERT_EQ(plugin.Plugin().SetActive(true), kResultOk);
        data->FillOutputs(kSentinel);
        EXPECT_NE(plugin.Plugin().Process(data->Block(kMaxBlock)), kResultOk);
        EXPECT_EQ(data->Output32(0, 0)[0], 0.0f);
        EXPECT_TRUE(SavedStateIsInRange(plugin));
        // A second initialize is refused and declares nothing twice.
        const int32 params = plugin.Controller()->getParameterCount();
        EXPECT_NE(plugin.Plugin().Initialize(plugin.application->unknownCast()), kResultOk);
        EXPECT_EQ(plugin.Controller()->getParameterCount(), params);
        EXPECT_EQ(plugin.Plugin().Component()->getBusCount(kAudio, kOutput), 1);
    }
    {
        // setupProcessing before initialize, then the usual start.
        HostedPlugin plugin(Bundle());
        ASSERT_EQ(plugin.Plugin().Setup(kRate, kMaxBlock), kResultOk);
        ASSERT_TRUE(plugin.Start(kRate, kMaxBlock));
        ASSERT_EQ(plugin.Plugin().Process(data->Block(kMaxBlock)), kResultOk);
        EXPECT_TRUE(OutputsFinite(*data, kMaxBlock));
    }
    {
        // terminate while active, then process, state calls and terminate again.
        HostedPlugin plugin(Bundle());
        ASSERT_TRUE(plugin.Start(kRate, kMaxBlock));
        EXPECT_EQ(plugin.Plugin().Terminate(), kResultOk);
        data->FillOutputs(kSentinel);
        EXPECT_EQ(plugin.Plugin().Process(data->Block(kMaxBlock)), kResultOk);
        EXPECT_TRUE(OutputsFinite(*data, kMaxBlock));
        std::vector<uint8_t> state;
        EXPECT_TRUE(plugin.Plugin().SaveState(&state));
        EXPECT_EQ(plugin.Plugin().LoadState(state), kResultOk);
        EXPECT_EQ(plugin.Plugin().Component()->terminate(), kResultOk);
        // Initialising again brings everything back.
        ASSERT_TRUE(plugin.Start(kRate, kMaxBlock));
        EXPECT_EQ(plugin.Plugin().Component()->getBusCount(kAudio, kOutput), 1);
        EXPECT_TRUE(SavedStateIsInRange(plugin));
    }
    {
        // release without deactivating or terminating.
        HostedPlugin plugin(Bundle());
        ASSERT_TRUE(plugin.Start(kRate, kMaxBlock));
        ASSERT_EQ(plugin.Plugin().Process(data->Block(kMaxBlock)), kResultOk);
        plugin.Plugin().ReleaseNow();
    }
}

INSTANTIATE_TEST_SUITE_P(Modules, BadHostInputTest,
                         ::testing::Values("Toneloom", "AdapterTestEffect"),
                         [](const ::testing::TestParamInfo<const char*>& moduleInfo) {
                             return std::string(moduleInfo.param);
                         });

} // namespace
} // namespace toneloom::testing
