// Edit gestures from the editor as a VST 3 host sees them: a drag and a
// burst of wheel steps on a control, through the adapter to the host's
// component handler.
#include "AdapterTestEffect.h"
#include "GraphicsTestSupport.h"

#include "HostApplication.h"
#include "RecordingComponentHandler.h"
#include "Vst3Ids.h"

#include "public.sdk/source/common/memorystream.h"

#include <gtest/gtest.h>

namespace toneloom::testing {
namespace {

using namespace Steinberg;
using host::HandlerEvent;

class HostGestureTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(effect->initialize(application->unknownCast()), kResultOk);
        effect->setComponentHandler(handler);
        graphics = new TestGraphics(effect.get(), 100, 80);
        gain = new ProbeControl(effect.get(), IBox{10, 10, 30, 30}, kTestGain);
        graphics->AddControl(gain);
        effect->AttachEditor(graphics);
        graphics->OpenWindow(nullptr);
        handler->Clear();
    }
    void TearDown() override { effect->terminate(); }

    IPtr<AdapterTestEffect> effect = owned(new AdapterTestEffect());
    IPtr<host::HostApplication> application = owned(new host::HostApplication("Gesture Host"));
    IPtr<host::RecordingComponentHandler> handler = owned(new host::RecordingComponentHandler);
    TestGraphics* graphics = nullptr;
    ProbeControl* gain = nullptr;
};

// Begin, at least one perform, end: all on the gain parameter, in that order.
void ExpectOneGesture(const std::vector<HandlerEvent>& events, size_t performs)
{
    ASSERT_EQ(events.size(), performs + 2);
    EXPECT_EQ(events.front().kind, HandlerEvent::kBeginEdit);
    for (size_t i = 1; i + 1 < events.size(); ++i) {
        EXPECT_EQ(events[i].kind, HandlerEvent::kPerformEdit);
    }
    EXPECT_EQ(events.back().kind, HandlerEvent::kEndEdit);
    for (const HandlerEvent& event : events) {
        EXPECT_EQ(event.id, static_cast<Vst::ParamID>(kTestGain));
    }
}

TEST_F(HostGestureTest, DragReachesTheHostAsOneGesture)
{
    const IMouseKeys left{true, false, false, false, false};
    graphics->MouseDown(20, 20, left);
    graphics->MouseDrag(20, 10, left);
    graphics->MouseDrag(20, 5, left);
    graphics->MouseUp(20, 5, IMouseKeys());
    const std::vector<HandlerEvent> events = handler->Events();
    ExpectOneGesture(events, 2);
    EXPECT_NEAR(events[2].normalised, gain->Value(), 1e-12);
    EXPECT_NEAR(effect->getParamNormalized(kTestGain), gain->Value(), 1e-12);
}

TEST_F(HostGestureTest, WheelBurstReachesTheHostAsOneGesture)
{
    for (int step = 0; step < 3; ++step) {
        graphics->MouseWheel(20, 20, IMouseKeys(), 1);
        graphics->Tick();
    }
    for (int tick = 1; tick < 11; ++tick) {
        graphics->Tick();
    }
    EXPECT_EQ(handler->Events().back().kind, HandlerEvent::kPerformEdit);
    graphics->Tick(); // the twelfth after the last step
    ExpectOneGesture(handler->Events(), 3);
}

// A host that holds its own lock around its calls into the plug-in (and
// would hang if called back from inside them) picks a program and loads a
// state while the editor is open: the editor shows the values at once, the
// host hears of them on the editor's next tick, after its calls returned.
TEST_F(HostGestureTest, ProgramAndStateFromAHostHoldingItsLockReachItOnTheNextTick)
{
    const double half = 1.0 / (kTestPresetCount - 1); // "Half": "Gain" 0.5
    ASSERT_EQ(handler->Locked([&] { return effect->setParamNormalized(kPresetParamId, half); }),
              kResultOk);
    EXPECT_TRUE(handler->Events().empty());
    EXPECT_NEAR(gain->Value(), effect->getParamNormalized(kTestGain), 1e-12);
    graphics->Tick();
    std::vector<HandlerEvent> events = handler->Events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, HandlerEvent::kRestart);
    EXPECT_EQ(events[0].flags, Vst::kParamValuesChanged);
    graphics->Tick();
    EXPECT_EQ(handler->Events().size(), 1u); // told once

    // A state whose "Steps" makes the engine set "Mode" itself, with the
    // edit gestures of an engine reaction: none of them reach the host
    // inside its call.
    IPtr<AdapterTestEffect> reacting = owned(new AdapterTestEffect([] {
        AdapterTestOptions options;
        options.stepsSwitchModeOff = true;
        return options;
    }()));
    ASSERT_EQ(reacting->initialize(application->unknownCast()), kResultOk);
    reacting->setComponentHandler(handler);
    auto* editor = new TestGraphics(reacting.get(), 100, 80);
    editor->AddControl(new ProbeControl(reacting.get(), IBox{10, 10, 30, 30}, kTestMode));
    reacting->AttachEditor(editor);
    editor->OpenWindow(nullptr);
    handler->Clear();
    MemoryStream state;
    const double record[kTestParamCount] = {1.0, 0.0, 9.0};
    int32 written = 0;
    state.write(const_cast<double*>(record), sizeof record, &written);
    state.seek(0, IBStream::kIBSeekSet, nullptr);
    Vst::IComponent* component = reacting.get();
    EXPECT_EQ(handler->Locked([&] { return component->setState(&state); }), kResultOk);
    EXPECT_DOUBLE_EQ(reacting->ParamAt(kTestMode)->Value(), 2.0); // "Off"
    EXPECT_TRUE(handler->Events().empty());
    editor->Tick();
    events = handler->Events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, HandlerEvent::kRestart);
    EXPECT_EQ(handler->CallsInsideHostCalls(), 0);
    reacting->terminate();
}

} // namespace
} // namespace toneloom::testing
