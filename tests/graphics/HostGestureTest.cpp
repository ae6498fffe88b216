// Edit gestures from the editor as a VST 3 host sees them: a drag and a
// burst of wheel steps on a control, through the adapter to the host's
// component handler.
#include "AdapterTestEffect.h"
#include "GraphicsTestSupport.h"

#include "HostApplication.h"
#include "RecordingComponentHandler.h"

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

} // namespace
} // namespace toneloom::testing
