// Toneloom's open editor between two threads, as in a DAW: the audio thread
// processes blocks whose queues carry automation and program changes, and
// the process call shows every change in the editor's controls (values, the
// rate knob that is hidden, the wave picture, the band label), while the UI
// thread draws on its timer, drags a knob, opens a list, clicks a sync
// switch, loads programs and state and reads the values back.
// scripts/test --thread runs this under ThreadSanitizer; a control field
// written on one thread and read on the other without an atomic or a lock
// stops the run there.
#include "IEffectVST3.h"
#include "IGraphicsHeadless.h"
#include "PlatformGraphics.h"
#include "ToneloomIds.h"
#include "Vst3Ids.h"

#include "HostApplication.h"
#include "PluginInstance.h"
#include "ProcessDataBuilder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

extern "C" Steinberg::IPluginFactory* PLUGIN_API GetPluginFactory();

namespace toneloom::testing {
namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

constexpr double kRate = 48000.0;
constexpr int kBlock = 64;
constexpr int kPrograms = 149;
constexpr int kMinAudioBlocks = 300;
// The audio thread keeps going until the UI thread has done this many
// rounds, however the two are scheduled.
constexpr int kUiRounds = 60;

// Controls of the product's editor, by index, and points inside them.
constexpr int kBaseFreqControl = 7;
constexpr int kBaseFreqX = 53;
constexpr int kBaseFreqY = 120;
constexpr int kWaveX = 410; // the "Wave" frames: a right press lists its values
constexpr int kWaveY = 130;
constexpr int kLfo1SyncX = 207;
constexpr int kLfo1SyncY = 290;
constexpr int kLfo1TargetX = 127;
constexpr int kLfo1TargetY = 308;
constexpr int kEmptyX = 460; // only the background
constexpr int kEmptyY = 445;
constexpr int kLfo1RateDivControl = 20;
constexpr int kLfo1RateMsControl = 21;

double ProgramNormalised(int slot)
{
    return slot / static_cast<double>(kPrograms);
}

class EditorThreadTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetGraphicsPlatform(GraphicsPlatform::kHeadless);
        factory = GetPluginFactory();
        ASSERT_NE(factory, nullptr);
        TUID classId;
        std::memcpy(classId, kToneloomClassIdBytes.data(), sizeof classId);
        instance = std::make_unique<host::PluginInstance>(factory, classId);
        ASSERT_TRUE(instance->Valid());
        ASSERT_NE(instance->Controller(), nullptr);
        effect = dynamic_cast<IEffectVST3*>(instance->Component());
        ASSERT_NE(effect, nullptr);
        editor = dynamic_cast<IGraphicsHeadless*>(effect->Editor());
        ASSERT_NE(editor, nullptr);
        application = std::make_unique<host::HostApplication>("editor thread test");
        ASSERT_EQ(instance->Initialize(application->unknownCast()), kResultOk);
        instance->ActivateDefaultBuses();
        ASSERT_EQ(instance->Setup(kRate, kBlock, kSample32), kResultOk);
        ASSERT_EQ(instance->SetActive(true), kResultOk);
        blocks = std::make_unique<host::ProcessDataBuilder>(
            std::vector<int>{2}, std::vector<int>{2}, kBlock, kSample32, kRate);
        blocks->SetPlaying(true);
        ASSERT_EQ(instance->Process(blocks->Block(kBlock)), kResultOk);
        blocks->Advance(kBlock);
        editor->OpenWindow(nullptr);
        editor->Tick();
    }

    void TearDown() override
    {
        if (editor != nullptr) {
            editor->CloseWindow();
        }
        blocks.reset();
        instance.reset();
        application.reset();
        if (factory != nullptr) {
            factory->release();
        }
    }

    void Click(int x, int y, bool right = false)
    {
        IMouseKeys keys;
        keys.left = !right;
        keys.right = right;
        editor->MouseDown(x, y, keys);
        editor->MouseUp(x, y, keys);
    }

    // A press on the "Base Freq" knob, a few drags up and down, the release.
    void DragBaseFreq(int round)
    {
        IMouseKeys keys;
        keys.left = true;
        editor->MouseDown(kBaseFreqX, kBaseFreqY, keys);
        const int reach = 5 + round % 20;
        for (int step = 1; step <= 4; ++step) {
            editor->MouseDrag(kBaseFreqX, kBaseFreqY + (step % 2 == 0 ? reach : -reach) * step,
                              keys);
        }
        editor->MouseUp(kBaseFreqX, kBaseFreqY, keys);
    }

    IControl& Control(int index) { return *editor->ControlAt(index); }

    IPluginFactory* factory = nullptr;
    std::unique_ptr<host::HostApplication> application;
    std::unique_ptr<host::PluginInstance> instance;
    std::unique_ptr<host::ProcessDataBuilder> blocks;
    IEffectVST3* effect = nullptr;
    IGraphicsHeadless* editor = nullptr;
};

TEST_F(EditorThreadTest, ProcessingFeedsTheOpenEditorWhileTheUserEdits)
{
    // Complete states to load from the UI thread: programs 1 to 4.
    std::vector<std::vector<uint8_t>> states;
    for (int slot = 1; slot <= 4; ++slot) {
        ASSERT_TRUE(blocks->Changes().Add(kPresetParamId, 0, ProgramNormalised(slot)));
        ASSERT_EQ(instance->Process(blocks->Block(kBlock)), kResultOk);
        blocks->Advance(kBlock);
        states.emplace_back();
        ASSERT_TRUE(instance->SaveState(&states.back()));
    }
    const int params = effect->ParamCount();
    ASSERT_GT(params, kLfo1RateMs);

    std::atomic<bool> audioDone{false};
    std::atomic<bool> outputFinite{true};
    std::atomic<int> uiRounds{0};
    std::thread audio([&] {
        for (int block = 0; block < kMinAudioBlocks || uiRounds < kUiRounds; ++block) {
            // Automation of one parameter per block, the LFO sync switch (which
            // swaps the rate knobs) every few blocks, a program now and then.
            blocks->Changes().Add(static_cast<ParamID>(block % params), 0, (block % 9) / 8.0);
            if (block % 7 == 0) {
                blocks->Changes().Add(static_cast<ParamID>(kLfo1Sync), kBlock / 2, (block / 7) % 2);
            }
            if (block % 40 == 0) {
                blocks->Changes().Add(kPresetParamId, kBlock - 1,
                                      ProgramNormalised(block / 40 % kPrograms));
            }
            instance->Process(blocks->Block(kBlock));
            for (int s = 0; s < kBlock; ++s) {
                if (!std::isfinite(blocks->Output32(0, 0)[s]) ||
                    !std::isfinite(blocks->Output32(0, 1)[s])) {
                    outputFinite = false;
                }
            }
            blocks->Advance(kBlock);
        }
        audioDone = true;
    });

    IEditController* controller = instance->Controller();
    int round = 0;
    while (!audioDone) {
        editor->Tick();
        DragBaseFreq(round);
        editor->Tick();
        if (round % 3 == 0) {
            Click(kLfo1SyncX, kLfo1SyncY);
        }
        if (round % 4 == 1) {
            // The target list opens (the first time as a new control) and closes.
            Click(kLfo1TargetX, kLfo1TargetY);
            editor->Tick();
            Click(kLfo1TargetX, kLfo1TargetY);
        }
        if (round % 5 == 2) {
            // The value list of "Wave" opens as a pop-up and is dismissed.
            Click(kWaveX, kWaveY, true);
            editor->Tick();
            Click(kEmptyX, kEmptyY);
        }
        if (round % 4 == 3) {
            EXPECT_EQ(controller->setParamNormalized(kPresetParamId,
                                                     ProgramNormalised(round % kPrograms)),
                      kResultOk);
        }
        if (round % 8 == 7) {
            // The window closes in the middle of a drag and opens again.
            IMouseKeys keys;
            keys.left = true;
            editor->MouseDown(kBaseFreqX, kBaseFreqY, keys);
            editor->MouseDrag(kBaseFreqX, kBaseFreqY - 30, keys);
            editor->CloseWindow();
            editor->OpenWindow(nullptr);
        }
        if (round % 6 == 5) {
            EXPECT_EQ(instance->LoadState(states[static_cast<size_t>(round) % states.size()]),
                      kResultOk);
        }
        controller->setParamNormalized(static_cast<ParamID>(round % params), (round % 5) / 4.0);
        for (int i = 0; i < editor->ControlCount(); ++i) {
            const double shown = editor->ControlAt(i)->Value();
            EXPECT_TRUE(shown >= 0.0 && shown <= 1.0) << "control " << i << " shows " << shown;
        }
        for (int i = 0; i < params; ++i) {
            const double value = controller->getParamNormalized(static_cast<ParamID>(i));
            EXPECT_TRUE(value >= 0.0 && value <= 1.0) << "parameter " << i << " is " << value;
        }
        ++round;
        uiRounds = round;
    }
    audio.join();
    EXPECT_TRUE(outputFinite);
    EXPECT_GE(round, kUiRounds);

    // Once both threads are quiet, a program from the host leaves every
    // control showing its parameter and exactly one LFO 1 rate knob visible.
    ASSERT_TRUE(blocks->Changes().Add(kPresetParamId, 0, ProgramNormalised(3)));
    ASSERT_EQ(instance->Process(blocks->Block(kBlock)), kResultOk);
    blocks->Advance(kBlock);
    // A value from the host stays dirty for a second pass, a list for a third.
    for (int pass = 0; pass < 3; ++pass) {
        editor->Tick();
    }
    for (int i = 0; i < editor->ControlCount(); ++i) {
        const int param = Control(i).ParamIndex();
        if (param >= 0 && param < params) {
            EXPECT_NEAR(Control(i).Value(),
                        controller->getParamNormalized(static_cast<ParamID>(param)), 1e-9)
                << "control " << i;
        }
        EXPECT_FALSE(Control(i).IsDirty()) << "control " << i << " drawn but still dirty";
    }
    const bool synced = controller->getParamNormalized(static_cast<ParamID>(kLfo1Sync)) > 0.5;
    EXPECT_EQ(Control(kLfo1RateDivControl).IsHidden(), !synced);
    EXPECT_EQ(Control(kLfo1RateMsControl).IsHidden(), synced);
    EXPECT_EQ(Control(kBaseFreqControl).IsHidden(), false);
}

} // namespace
} // namespace toneloom::testing
