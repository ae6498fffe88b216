// Construction, channel lines, process dispatch, presets and edit gestures of
// the plug-in base.
#include "TestEffect.h"

#include <gtest/gtest.h>

#include <array>
#include <thread>
#include <vector>

using namespace toneloom;
using toneloom::testing::TestEffect;

namespace {

// An editor that records what the base asks of it.
class RecordingEditor : public IEditorLink
{
public:
    explicit RecordingEditor(std::vector<std::string>* log) : log(log) {}
    void PushParamToControls(int index, double value, bool isNormalised) override
    {
        log->push_back("push " + std::to_string(index) + " " + std::to_string(value) +
                       (isNormalised ? " n" : " p"));
    }
    void PushUserValueToControls(int, double) override {}
    void SetControlValueAt(int, double) override {}
    void SetParamControlsHidden(int, bool) override {}
    void CreateSurface() override { log->push_back("surface"); }
    int FrameRate() const override { return 24; }
    void StartGestureTimer(int ticks) override { log->push_back("timer " + std::to_string(ticks)); }
    void StopGestureTimer() override { log->push_back("stop timer"); }

private:
    std::vector<std::string>* log;
};

constexpr int kFrames = 16;

struct Buffers
{
    std::array<std::vector<double>, 2> in{std::vector<double>(kFrames), std::vector<double>(kFrames)};
    std::array<std::vector<double>, 2> out{std::vector<double>(kFrames, -9),
                                           std::vector<double>(kFrames, -9)};
    double* inPtr[2] = {in[0].data(), in[1].data()};
    double* outPtr[2] = {out[0].data(), out[1].data()};

    Buffers()
    {
        for (int i = 0; i < kFrames; ++i) {
            in[0][i] = i + 1;
            in[1][i] = -(i + 1);
        }
    }
};

void Wire(TestEffect& fx, int inputs, int outputs)
{
    fx.ChangeBlockSize(kFrames);
    fx.SetInputsConnected(0, fx.InputLineCount(), false);
    fx.SetOutputsConnected(0, fx.OutputLineCount(), false);
    fx.SetInputsConnected(0, inputs, true);
    fx.SetOutputsConnected(0, outputs, true);
}

} // namespace

TEST(EffectBase, ParsesChannelLayouts)
{
    TestEffect both(1, "1-1 2-2");
    EXPECT_EQ(both.IoLayoutCount(), 2);
    EXPECT_EQ(both.InputLineCount(), 2);
    EXPECT_EQ(both.OutputLineCount(), 2);
    EXPECT_TRUE(both.IoLayoutSupported(1, 1));
    EXPECT_TRUE(both.IoLayoutSupported(2, -1));
    EXPECT_FALSE(both.IoLayoutSupported(1, 2));

    TestEffect stereo(1, "2-2");
    EXPECT_EQ(stereo.IoLayoutCount(), 1);

    TestEffect empty(1, "");
    EXPECT_EQ(empty.IoLayoutCount(), 1);
    EXPECT_EQ(empty.IoLayoutAt(0)->inputs, 0);
    EXPECT_EQ(empty.InputLineCount(), 0);
    EXPECT_EQ(empty.OutputLineCount(), 0);

    TestEffect none(1, nullptr);
    EXPECT_EQ(none.IoLayoutCount(), 0);

    TestEffect generator(1, "0-2 garbage 1-4");
    EXPECT_EQ(generator.IoLayoutCount(), 3);
    EXPECT_EQ(generator.IoLayoutAt(1)->outputs, 0); // a malformed item reads as 0-0
    EXPECT_EQ(generator.InputLineCount(), 1);
    EXPECT_EQ(generator.OutputLineCount(), 4);
}

TEST(EffectBase, NamesBusesAndPresetsAndShowsTheVersion)
{
    TestEffect fx;
    fx.SetInputBusName(0, "Main Input");
    fx.SetInputBusName(2, "ignored");
    fx.SetInputBusName(0, "Renamed");
    EXPECT_STREQ(fx.InputBusName(0), "Renamed");
    EXPECT_STREQ(fx.InputBusName(1), "");
    fx.SetOutputBusName(2, "Output");
    EXPECT_STREQ(fx.OutputBusName(0), "Output"); // past the end appends

    EXPECT_STREQ(fx.PresetName(0), "- 1 -");
    EXPECT_STREQ(fx.PresetName(7), "- 8 -");
    EXPECT_STREQ(fx.PresetName(8), "");
    EXPECT_EQ(fx.ParamAt(4), nullptr);
    EXPECT_EQ(fx.ParamAt(-1), nullptr);

    char text[16];
    fx.VersionText(text, sizeof text);
    EXPECT_STREQ(text, "v1.10");
    TestEffect other(1);
    IEffectBase& base = other;
    EXPECT_EQ(base.GetHostKind(), -1);
    EXPECT_EQ(base.GetApiKind(), 1);
}

TEST(EffectBase, SamplesPerBeatFollowsTheTempo)
{
    TestEffect fx;
    fx.SetSampleRate(48000);
    fx.tempoBpm = 120;
    EXPECT_EQ(fx.SamplesPerBeat(), 24000);
    fx.tempoBpm = 0;
    EXPECT_EQ(fx.SamplesPerBeat(), 0);
}

TEST(EffectBase, PassThroughAndBypassWithDoubleBuffers)
{
    TestEffect fx;
    Wire(fx, 2, 2);
    Buffers b;
    fx.BindInputs(0, 2, b.inPtr);
    fx.BindOutputs(0, 2, b.outPtr);

    fx.RunProcess(kFrames); // processing not enabled: outputs untouched
    EXPECT_EQ(b.out[0][0], -9);

    fx.RunBypass(kFrames); // bypass copies regardless
    EXPECT_EQ(b.out[0], b.in[0]);
    EXPECT_EQ(b.out[1], b.in[1]);

    b.out[0].assign(kFrames, -9);
    fx.SetProcessingEnabled(true);
    fx.RunProcess(kFrames);
    EXPECT_EQ(b.out[0], b.in[0]);
}

TEST(EffectBase, FewerInputsThanOutputsGiveSilentExtraOutputs)
{
    TestEffect fx(1, "1-2");
    ASSERT_EQ(fx.InputLineCount(), 1);
    Wire(fx, 1, 2);
    Buffers b;
    fx.BindInputs(0, 1, b.inPtr);
    fx.BindOutputs(0, 2, b.outPtr);
    fx.SetProcessingEnabled(true);
    fx.RunProcess(kFrames);
    EXPECT_EQ(b.out[0], b.in[0]);
    EXPECT_EQ(b.out[1], std::vector<double>(kFrames, 0.0));

    // A disconnected input reads from its zeroed scratch buffer.
    TestEffect mono(1, "1-1 2-2");
    Wire(mono, 1, 2);
    Buffers c;
    mono.BindInputs(0, 1, c.inPtr);
    mono.BindOutputs(0, 2, c.outPtr);
    mono.RunBypass(kFrames);
    EXPECT_EQ(c.out[0], c.in[0]);
    EXPECT_EQ(c.out[1], std::vector<double>(kFrames, 0.0));
}

TEST(EffectBase, FloatBuffersAreWidenedAndNarrowed)
{
    TestEffect fx;
    Wire(fx, 2, 2);
    std::array<std::vector<float>, 2> in{std::vector<float>(kFrames), std::vector<float>(kFrames)};
    std::array<std::vector<float>, 2> out{std::vector<float>(kFrames, -9.f),
                                          std::vector<float>(kFrames, -9.f)};
    for (int i = 0; i < kFrames; ++i) {
        in[0][i] = 0.25f * i;
        in[1][i] = -0.5f * i;
    }
    float* inPtr[2] = {in[0].data(), in[1].data()};
    float* outPtr[2] = {out[0].data(), out[1].data()};
    fx.BindInputsFloat(0, 2, inPtr, kFrames);
    fx.BindOutputsFloat(0, 2, outPtr);
    fx.RunBypassFloat(kFrames);
    EXPECT_EQ(out[0], in[0]);
    EXPECT_EQ(out[1], in[1]);

    out[0].assign(kFrames, -9.f);
    fx.SetProcessingEnabled(true);
    fx.RunProcessFloat(kFrames);
    EXPECT_EQ(out[0], in[0]);
}

TEST(EffectBase, ChangeBlockSizeKeepsOrClearsTheScratch)
{
    TestEffect fx;
    Wire(fx, 2, 2);
    std::vector<float> in(kFrames, 0.75f);
    float* inPtr[2] = {in.data(), in.data()};
    fx.BindInputsFloat(0, 2, inPtr, kFrames); // fills the input scratch with 0.75
    std::vector<double> out(kFrames, -1.0);
    double* outPtr[2] = {out.data(), out.data()};
    fx.BindOutputs(0, 2, outPtr);

    fx.ChangeBlockSize(kFrames); // same size: the scratch keeps its samples
    fx.RunBypass(kFrames);
    EXPECT_EQ(out[kFrames - 1], 0.75);

    fx.ChangeBlockSize(2 * kFrames); // new size: zeroed
    fx.ChangeBlockSize(kFrames);
    fx.RunBypass(kFrames);
    EXPECT_EQ(out[kFrames - 1], 0.0);
    EXPECT_EQ(fx.BlockSize(), kFrames);
}

TEST(EffectBasePresets, SelectingFilledDefaultAndNeverFilledSlots)
{
    TestEffect fx(3, "2-2", 4);
    fx.ParamAt(0)->DeclareDouble("Freq", 200, 20, 20000, 0.1, "Hz");
    fx.ParamAt(1)->DeclareInt("Pan", 100, -100, 100, "%");
    fx.ParamAt(2)->DeclareEnum("Wave", 1, 7, "");
    fx.CreateDefaultPresets("---- default ----", 1);
    EXPECT_TRUE(fx.CreatePreset("Low", {110.0, -50, 4}));
    EXPECT_FALSE(fx.CreatePreset("Wrong count", {1.0, 2.0}));

    ASSERT_TRUE(fx.LoadPreset(1));
    EXPECT_EQ(fx.ParamAt(0)->Value(), 110.0);
    EXPECT_EQ(fx.ParamAt(1)->Value(), -50);
    EXPECT_EQ(fx.ParamAt(2)->Value(), 4);
    EXPECT_EQ(fx.CurrentPreset(), 1);

    // The default slot restores every declared default.
    ASSERT_TRUE(fx.LoadPreset(0));
    EXPECT_EQ(fx.ParamAt(0)->Value(), 200.0);
    EXPECT_EQ(fx.ParamAt(1)->Value(), 100);
    EXPECT_EQ(fx.ParamAt(2)->Value(), 1);
    EXPECT_EQ(fx.CurrentPreset(), 0);

    // A never-filled slot becomes a user preset and changes no parameter.
    fx.changes.clear();
    ASSERT_TRUE(fx.LoadPreset(2));
    EXPECT_STREQ(fx.PresetName(2), "user preset 1");
    EXPECT_TRUE(fx.changes.empty());
    ASSERT_TRUE(fx.LoadPreset(3));
    EXPECT_STREQ(fx.PresetName(3), "user preset 2");
    EXPECT_EQ(fx.CurrentPreset(), 3);
    // Selected again, it is a filled slot with an empty record: nothing to read.
    EXPECT_FALSE(fx.LoadPreset(2));
    EXPECT_EQ(fx.CurrentPreset(), 2);

    EXPECT_FALSE(fx.LoadPreset(-1));
    EXPECT_FALSE(fx.LoadPreset(4));
    EXPECT_FALSE(fx.CreatePreset("Full", {1.0, 2.0, 3.0}));
}

TEST(EffectBaseEdits, EditorChangesNotifyTheHostAndRunTheHandler)
{
    TestEffect fx(2);
    fx.ParamAt(0)->DeclareInt("Volume", 90, 0, 100, "%");
    fx.SetParamFromEditor(0, 0.5);
    EXPECT_EQ(fx.ParamAt(0)->Value(), 50);
    ASSERT_EQ(fx.events.size(), 1u);
    EXPECT_EQ(fx.events[0], "value 0 0.500000");
    EXPECT_EQ(fx.changes, std::vector<int>{0});

    // Without an editor a deferred edit end is sent at once.
    fx.DeferEditEnd(0);
    EXPECT_EQ(fx.events.back(), "end 0");
    fx.SetParamFromEditor(7, 0.5); // out of range: ignored
    EXPECT_EQ(fx.changes.size(), 1u);
}

TEST(EffectBaseEdits, AttachedEditorGetsValuesAndDefersTheEditEnd)
{
    std::vector<std::string> log;
    TestEffect fx(2);
    fx.ParamAt(0)->DeclareInt("Volume", 50, 0, 100, "%");
    fx.AttachEditor(new RecordingEditor(&log));
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0], "push 0 0.500000 n");
    EXPECT_EQ(log[2], "surface");

    fx.DeferEditEnd(0);
    EXPECT_EQ(log.back(), "timer 12"); // half of 24 frames per second
    EXPECT_EQ(fx.PendingEditEnd(), 0);
    EXPECT_TRUE(fx.events.empty());
    fx.FlushDeferredEditEnd();
    EXPECT_EQ(log.back(), "stop timer");
    EXPECT_EQ(fx.events.back(), "end 0");
    EXPECT_EQ(fx.PendingEditEnd(), -1);
    fx.FlushDeferredEditEnd(); // nothing pending: no second end
    EXPECT_EQ(fx.events.size(), 1u);

    log.clear();
    fx.RefreshParamControls();
    EXPECT_EQ(log[0], "push 0 50.000000 p");
}

TEST(EffectBase, MidiListReportsWhetherEveryMessageWasSent)
{
    TestEffect fx;
    MidiMessage messages[2];
    EXPECT_TRUE(fx.SendMidiList(messages, 0));
    EXPECT_TRUE(fx.SendMidiList(messages, 2));
    fx.sendMidiResult = false;
    EXPECT_FALSE(fx.SendMidiList(messages, 2));
    EXPECT_FALSE(fx.SendSysEx(nullptr, 0));
}

TEST(EffectBase, TheInstanceMutexIsReentrantAndExcludesOtherThreads)
{
    TestEffect fx(2);
    StateChunk chunk;
    {
        IEffectBase::InstanceLock outer(fx.Mutex());
        // Saving and loading re-enter the lock the caller holds.
        ASSERT_TRUE(fx.WriteParams(&chunk));
        EXPECT_EQ(fx.ReadParams(&chunk, 0), 16);
        bool otherGotIt = true;
        std::thread other([&] { otherGotIt = fx.Mutex().try_lock(); });
        other.join();
        EXPECT_FALSE(otherGotIt);
    }
}
