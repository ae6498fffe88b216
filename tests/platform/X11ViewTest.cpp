// The X11 editor inside a VST 3 editor view, as a Linux host runs it: a
// top-level window of the host, the host's run loop, real input through the
// X server. The editor is a small one (a probe control bound to "Gain" of the
// adapter test effect), so what is checked is the window, the loop and the
// input, not the product's layout.
#include "AdapterTestEffect.h"
#include "EditorHostTestSupport.h"
#include "GraphicsTestSupport.h"
#include "X11TestHost.h"
#include "XvfbDisplay.h"

#include "HostApplication.h"
#include "IGraphicsX11.h"
#include "RecordingComponentHandler.h"

#include <gtest/gtest.h>

#include <memory>

namespace toneloom::testing {
namespace {

using namespace Steinberg;
using host::HandlerEvent;

// X's pointer buttons and key symbols (its headers clash with GoogleTest's).
constexpr unsigned Button1 = 1; // left
constexpr unsigned Button3 = 3; // right
constexpr unsigned Button4 = 4; // wheel up
constexpr unsigned long XK_Return = 0xFF0D;
constexpr unsigned long XK_Escape = 0xFF1B;

constexpr int kEditorWidth = 100;
constexpr int kEditorHeight = 80;
constexpr int kSettleMs = 150; // a few timer periods for input to arrive and draw
const IBox kProbeBox{10, 10, 50, 50};

// One plug-in with its editor, a view on it and the host's frame and window.
struct EditorRig
{
    EditorRig(int left, int top)
        : window(left, top, kEditorWidth + 40, kEditorHeight + 40), frame(&loop)
    {
        effect->initialize(application->unknownCast());
        effect->setComponentHandler(handler);
        graphics = new IGraphicsX11(effect.get(), kEditorWidth, kEditorHeight);
        probe = new ProbeControl(effect.get(), kProbeBox, kTestGain);
        graphics->AddControl(probe);
        effect->AttachEditor(graphics);
        graphics->SetHoverEnabled(true);
        view = owned(effect->createView("editor"));
        if (view) {
            view->setFrame(&frame);
        }
    }
    ~EditorRig()
    {
        if (view) {
            view->removed();
            view->setFrame(nullptr);
        }
        view = nullptr;
        effect->terminate();
    }

    tresult Attach() { return view->attached(window.Parent(), kPlatformTypeX11EmbedWindowID); }
    std::vector<HandlerEvent> Events() const { return handler->Events(); }

    HostWindow window;
    TestRunLoop loop;
    TestPlugFrame frame;
    IPtr<AdapterTestEffect> effect = owned(new AdapterTestEffect());
    IPtr<host::HostApplication> application = owned(new host::HostApplication("X11 Host"));
    IPtr<host::RecordingComponentHandler> handler = owned(new host::RecordingComponentHandler);
    IGraphicsX11* graphics = nullptr; // owned by the effect
    ProbeControl* probe = nullptr;    // owned by the editor
    IPtr<IPlugView> view;
};

// A host that closes the editor as soon as it hears of an edit, as one that
// rebuilds its window on a change may.
class ClosingHandler : public host::RecordingComponentHandler
{
public:
    tresult PLUGIN_API performEdit(Vst::ParamID id, Vst::ParamValue value) override
    {
        const tresult result = RecordingComponentHandler::performEdit(id, value);
        if (IPlugView* closing = viewToClose) {
            viewToClose = nullptr;
            closing->removed();
        }
        return result;
    }
    IPlugView* viewToClose = nullptr;
};

class X11ViewTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        std::string error;
        ASSERT_TRUE(EnsureVirtualDisplay(&error)) << error;
    }
};

TEST_F(X11ViewTest, OpensAsAnEmbeddedChildPaintsAndClosesAgain)
{
    EditorRig rig(40, 40);
    ASSERT_TRUE(rig.view);
    EXPECT_EQ(rig.view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultTrue);
    EXPECT_EQ(rig.view->isPlatformTypeSupported(kPlatformTypeHWND), kResultFalse);
    ViewRect size;
    ASSERT_EQ(rig.view->getSize(&size), kResultOk);
    EXPECT_EQ(size.getWidth(), kEditorWidth);
    EXPECT_EQ(size.getHeight(), kEditorHeight);

    for (int round = 0; round < 2; ++round) { // closing and opening again
        ASSERT_EQ(rig.Attach(), kResultOk);
        const std::vector<unsigned long> children = rig.window.Children();
        ASSERT_EQ(children.size(), 1u);
        EXPECT_TRUE(rig.window.HasXembedInfo(children[0]));
        EXPECT_EQ(rig.loop.HandlerCount(), 1u); // the X connection
        EXPECT_EQ(rig.loop.TimerCount(), 1u);
        EXPECT_EQ(rig.loop.FirstTimerPeriod(), 41u); // trunc(1000 / 24)
        rig.loop.RunFor(kSettleMs);

        int width = 0;
        int height = 0;
        const std::vector<uint32_t> pixels = rig.window.Capture(&width, &height);
        ASSERT_EQ(pixels.size(), static_cast<size_t>(width) * height);
        EXPECT_EQ(pixels[20 * width + 20], 0xC82828u);                   // the probe's colour
        EXPECT_EQ(pixels[(kEditorHeight + 10) * width + 10], 0xFFFFFFu); // the host's own

        ASSERT_EQ(rig.view->removed(), kResultOk);
        EXPECT_TRUE(rig.window.Children().empty());
        EXPECT_EQ(rig.loop.HandlerCount(), 0u);
        EXPECT_EQ(rig.loop.TimerCount(), 0u);
    }
}

TEST_F(X11ViewTest, HiddenEditorPaintsNothingUntilShownAgain)
{
    EditorRig rig(40, 40);
    ASSERT_EQ(rig.Attach(), kResultOk);
    rig.loop.RunFor(kSettleMs);
    ASSERT_TRUE(rig.graphics->Viewable());
    const int shown = rig.graphics->PresentCount();
    EXPECT_GT(shown, 0);

    // The host hides its frame; the probe keeps changing, as moving LFO
    // markers do.
    rig.window.Unmap();
    rig.loop.RunFor(kSettleMs);
    EXPECT_FALSE(rig.graphics->Viewable());
    const int hidden = rig.graphics->PresentCount();
    for (int tick = 0; tick < 8; ++tick) {
        rig.probe->MarkDirty(false);
        rig.loop.RunFor(50);
    }
    EXPECT_EQ(rig.graphics->PresentCount(), hidden);

    rig.window.Map();
    rig.loop.RunFor(kSettleMs);
    EXPECT_TRUE(rig.graphics->Viewable());
    EXPECT_GT(rig.graphics->PresentCount(), hidden);
    int width = 0;
    int height = 0;
    const std::vector<uint32_t> pixels = rig.window.Capture(&width, &height);
    ASSERT_EQ(pixels.size(), static_cast<size_t>(width) * height);
    EXPECT_EQ(pixels[20 * width + 20], 0xC82828u); // the probe, drawn again
}

TEST_F(X11ViewTest, DragThatLeavesTheWindowIsOneGestureEndedByTheRelease)
{
    EditorRig rig(40, 40);
    ASSERT_EQ(rig.Attach(), kResultOk);
    rig.loop.RunFor(kSettleMs);
    const double before = rig.effect->getParamNormalized(kTestGain);
    rig.window.MoveTo(30, 30);
    rig.window.Press(Button1);
    rig.loop.RunFor(kSettleMs);
    rig.window.MoveTo(30, 20);
    rig.loop.RunFor(kSettleMs);
    rig.window.MoveTo(30, -30); // above the window: the drag goes on
    rig.loop.RunFor(kSettleMs);
    rig.window.Release(Button1);
    rig.loop.RunFor(kSettleMs);

    const std::vector<HandlerEvent> events = rig.Events();
    EXPECT_TRUE(IsOneGesture(events, kTestGain));
    const double after = rig.effect->getParamNormalized(kTestGain);
    EXPECT_LT(after, before); // the probe lowers its value as the pointer rises
    EXPECT_NEAR(events[events.size() - 2].normalised, after, 1e-12);
}

TEST_F(X11ViewTest, ClosingMidDragEndsTheGestureForTheHost)
{
    EditorRig rig(40, 40);
    ASSERT_EQ(rig.Attach(), kResultOk);
    rig.loop.RunFor(kSettleMs);
    rig.window.MoveTo(30, 30);
    rig.window.Press(Button1);
    rig.loop.RunFor(kSettleMs);
    rig.window.MoveTo(30, 25);
    rig.loop.RunFor(kSettleMs);
    ASSERT_EQ(rig.view->removed(), kResultOk);
    rig.window.Release(Button1);
    EXPECT_TRUE(IsOneGesture(rig.Events(), kTestGain));
}

TEST_F(X11ViewTest, DoubleClickReturnsToTheDefaultAndWheelStepsEndOneGestureLater)
{
    EditorRig rig(40, 40);
    ASSERT_EQ(rig.Attach(), kResultOk);
    rig.loop.RunFor(kSettleMs);
    const double start = rig.effect->getParamNormalized(kTestGain);

    rig.window.MoveTo(30, 30);
    for (int step = 0; step < 3; ++step) {
        rig.window.Press(Button4); // wheel up
        rig.window.Release(Button4);
        rig.loop.RunFor(60);
    }
    std::vector<HandlerEvent> events = rig.Events();
    ASSERT_FALSE(events.empty());
    EXPECT_NE(events.back().kind, HandlerEvent::kEndEdit); // still counting down
    rig.loop.RunFor(700);                                  // twelve ticks of 41 ms
    events = rig.Events();
    EXPECT_TRUE(IsOneGesture(events, kTestGain));
    EXPECT_EQ(events.size(), 5u); // begin, three steps, end
    EXPECT_GT(rig.effect->getParamNormalized(kTestGain), start);

    rig.handler->Clear();
    rig.window.Click(30, 30);
    rig.window.Click(30, 30);
    rig.loop.RunFor(kSettleMs);
    EXPECT_NEAR(rig.effect->getParamNormalized(kTestGain), start, 1e-12);
}

TEST_F(X11ViewTest, ValueEntryCommitsOnReturnAndCancelsOnEscapeOrRightClick)
{
    EditorRig rig(40, 40);
    ASSERT_EQ(rig.Attach(), kResultOk);
    rig.loop.RunFor(kSettleMs);
    const unsigned long editorWindow = rig.window.Children().at(0);

    rig.window.Click(30, 30, Button3);
    rig.loop.RunFor(kSettleMs);
    ASSERT_TRUE(rig.graphics->ValueEntryOpen());
    EXPECT_EQ(rig.window.ChildrenOf(editorWindow).size(), 1u); // the entry box
    rig.window.Type("1.5");
    rig.window.KeyTap(XK_Return);
    rig.loop.RunFor(kSettleMs);
    EXPECT_FALSE(rig.graphics->ValueEntryOpen());
    EXPECT_TRUE(rig.window.ChildrenOf(editorWindow).empty());
    EXPECT_NEAR(rig.effect->getParamNormalized(kTestGain), 0.75, 1e-9); // 1.5 of 0..2
    // The right click was a press of its own (begin, end); the value came as
    // one more gesture.
    std::vector<HandlerEvent> events = rig.Events();
    ASSERT_GE(events.size(), 3u);
    events.erase(events.begin(), events.end() - 3);
    EXPECT_TRUE(IsOneGesture(events, kTestGain));

    rig.handler->Clear();
    rig.window.Click(30, 30, Button3);
    rig.loop.RunFor(kSettleMs);
    rig.window.Type("0.2");
    rig.window.KeyTap(XK_Escape);
    rig.loop.RunFor(kSettleMs);
    EXPECT_FALSE(rig.graphics->ValueEntryOpen());

    rig.window.Click(30, 30, Button3);
    rig.loop.RunFor(kSettleMs);
    rig.window.Type("0.2");
    rig.window.Click(80, 70, Button3); // a right click in the editor cancels too
    rig.loop.RunFor(kSettleMs);
    EXPECT_FALSE(rig.graphics->ValueEntryOpen());
    EXPECT_NEAR(rig.effect->getParamNormalized(kTestGain), 0.75, 1e-9);
    for (const HandlerEvent& event : rig.Events()) {
        if (event.kind == HandlerEvent::kPerformEdit) { // the old value, sent again
            EXPECT_NEAR(event.normalised, 0.75, 1e-9);
        }
    }
}

TEST_F(X11ViewTest, HostClosingTheEditorWhenItHearsOfATypedValueOrAWheelStep)
{
    EditorRig rig(40, 40);
    IPtr<ClosingHandler> closer = owned(new ClosingHandler);
    rig.effect->setComponentHandler(closer);
    ASSERT_EQ(rig.Attach(), kResultOk);
    rig.loop.RunFor(kSettleMs);
    rig.window.Click(30, 30, Button3);
    rig.loop.RunFor(kSettleMs);
    ASSERT_TRUE(rig.graphics->ValueEntryOpen());
    closer->Clear();
    closer->viewToClose = rig.view;
    rig.window.Type("1.5");
    rig.window.KeyTap(XK_Return);
    rig.loop.RunFor(kSettleMs);
    EXPECT_FALSE(rig.graphics->ValueEntryOpen());
    EXPECT_TRUE(rig.window.Children().empty());
    // The value, then sent once more as the entry closes: two whole gestures.
    const std::vector<HandlerEvent> events = closer->Events();
    ASSERT_EQ(events.size(), 6u);
    EXPECT_TRUE(IsOneGesture({events.begin(), events.begin() + 3}, kTestGain));
    EXPECT_TRUE(IsOneGesture({events.begin() + 3, events.end()}, kTestGain));
    EXPECT_NEAR(rig.effect->getParamNormalized(kTestGain), 0.75, 1e-9);

    // A wheel step's edit ends at once when there is no window left to end
    // it a moment later.
    ASSERT_EQ(rig.Attach(), kResultOk);
    rig.loop.RunFor(kSettleMs);
    closer->Clear();
    closer->viewToClose = rig.view;
    rig.window.MoveTo(30, 30);
    rig.window.Press(Button4);
    rig.window.Release(Button4);
    rig.loop.RunFor(kSettleMs);
    EXPECT_TRUE(rig.window.Children().empty());
    EXPECT_TRUE(IsOneGesture(closer->Events(), kTestGain));
    EXPECT_EQ(rig.Attach(), kResultOk);
}

TEST_F(X11ViewTest, TwoEditorsRunSideBySideAndOneClosingLeavesTheOther)
{
    EditorRig first(40, 40);
    EditorRig second(300, 40);
    ASSERT_EQ(first.Attach(), kResultOk);
    ASSERT_EQ(second.Attach(), kResultOk);
    first.loop.RunFor(kSettleMs);
    second.loop.RunFor(kSettleMs);
    ASSERT_EQ(first.view->removed(), kResultOk);

    second.window.Click(30, 30, Button3);
    second.loop.RunFor(kSettleMs);
    EXPECT_TRUE(second.graphics->ValueEntryOpen());
    second.window.KeyTap(XK_Escape);
    second.loop.RunFor(kSettleMs);
    int width = 0;
    int height = 0;
    const std::vector<uint32_t> pixels = second.window.Capture(&width, &height);
    EXPECT_EQ(pixels.at(20 * width + 20), 0xC82828u);
}

// One instance has one editor, so of two views attached at once the later
// one shows it; the earlier one's host loop is let go at once. Removing the
// later one gives the editor back to the earlier one; removing the earlier one
// leaves the later one's window alone.
TEST_F(X11ViewTest, SecondViewOfOneInstanceTakesTheEditorOverAndGivesItBack)
{
    EditorRig rig(40, 40);
    HostWindow otherWindow(300, 40, kEditorWidth + 40, kEditorHeight + 40);
    TestRunLoop otherLoop;
    TestPlugFrame otherFrame(&otherLoop);
    IPtr<IPlugView> second = owned(rig.effect->createView("editor"));
    ASSERT_TRUE(second);
    second->setFrame(&otherFrame);
    const auto attachSecond = [&] {
        return second->attached(otherWindow.Parent(), kPlatformTypeX11EmbedWindowID);
    };

    ASSERT_EQ(rig.Attach(), kResultOk);
    ASSERT_EQ(attachSecond(), kResultOk);
    EXPECT_TRUE(rig.window.Children().empty());
    EXPECT_EQ(otherWindow.Children().size(), 1u);
    EXPECT_EQ(rig.loop.HandlerCount(), 0u);
    EXPECT_EQ(rig.loop.TimerCount(), 0u);

    ASSERT_EQ(second->removed(), kResultOk);
    EXPECT_TRUE(otherWindow.Children().empty());
    EXPECT_EQ(otherLoop.HandlerCount(), 0u);
    EXPECT_EQ(rig.window.Children().size(), 1u);
    EXPECT_EQ(rig.loop.HandlerCount(), 1u);

    ASSERT_EQ(attachSecond(), kResultOk);
    ASSERT_EQ(rig.view->removed(), kResultOk);
    EXPECT_EQ(otherWindow.Children().size(), 1u);
    EXPECT_EQ(otherLoop.HandlerCount(), 1u);
    otherLoop.RunFor(kSettleMs);
    int width = 0;
    int height = 0;
    const std::vector<uint32_t> pixels = otherWindow.Capture(&width, &height);
    EXPECT_EQ(pixels.at(20 * width + 20), 0xC82828u);
    otherWindow.Click(30, 30, Button3); // and it still takes input
    otherLoop.RunFor(kSettleMs);
    EXPECT_TRUE(rig.graphics->ValueEntryOpen());

    ASSERT_EQ(second->removed(), kResultOk);
    EXPECT_TRUE(otherWindow.Children().empty());
    EXPECT_TRUE(rig.window.Children().empty());
    EXPECT_EQ(otherLoop.HandlerCount(), 0u);
    second->setFrame(nullptr);
}

// A host may destroy its frame, and the editor's window with it, and remove
// the view before its run loop delivers the news.
TEST_F(X11ViewTest, HostDestroyingItsWindowBeforeRemovingTheViewIsNoCrash)
{
    EditorRig rig(40, 40);
    ASSERT_EQ(rig.Attach(), kResultOk);
    rig.loop.RunFor(kSettleMs);
    rig.window.MoveTo(30, 30);
    rig.window.Press(Button1);
    rig.loop.RunFor(kSettleMs);
    rig.window.MoveTo(30, 25);
    rig.loop.RunFor(kSettleMs);
    rig.window.Destroy();
    EXPECT_EQ(rig.view->removed(), kResultOk);
    rig.window.Release(Button1);
    EXPECT_TRUE(IsOneGesture(rig.Events(), kTestGain));
    EXPECT_EQ(rig.loop.HandlerCount(), 0u);

    HostWindow another(40, 40, kEditorWidth + 40, kEditorHeight + 40);
    ASSERT_EQ(rig.view->attached(another.Parent(), kPlatformTypeX11EmbedWindowID), kResultOk);
    another.Destroy();
    rig.loop.RunFor(kSettleMs); // this time the loop hears of it first
    EXPECT_EQ(rig.view->removed(), kResultOk);
}

TEST_F(X11ViewTest, HostWithoutRunLoopOrWithAWrongWindowOrTypeGetsARefusalNotACrash)
{
    EditorRig rig(40, 40);
    rig.frame.runLoop = nullptr;
    EXPECT_EQ(rig.Attach(), kResultFalse);
    EXPECT_TRUE(rig.window.Children().empty());
    EXPECT_EQ(rig.view->removed(), kResultOk);

    rig.frame.runLoop = &rig.loop;
    // A window of another kind, or none, opens nothing and says so.
    EXPECT_EQ(rig.view->attached(rig.window.Parent(), kPlatformTypeHWND), kResultFalse);
    EXPECT_EQ(rig.view->attached(rig.window.Parent(), nullptr), kResultFalse);
    EXPECT_EQ(rig.view->attached(nullptr, kPlatformTypeX11EmbedWindowID), kInvalidArgument);
    EXPECT_TRUE(rig.window.Children().empty());
    EXPECT_EQ(rig.loop.HandlerCount(), 0u);
    void* noSuchWindow = reinterpret_cast<void*>(static_cast<uintptr_t>(0x7FFFFFF));
    EXPECT_EQ(rig.view->attached(noSuchWindow, kPlatformTypeX11EmbedWindowID), kResultFalse);
    EXPECT_EQ(rig.loop.HandlerCount(), 0u);
    EXPECT_EQ(rig.Attach(), kResultOk); // and the right window still works
}

TEST_F(X11ViewTest, OnlyTheEditorViewNameMakesAView)
{
    EditorRig rig(40, 40);
    EXPECT_EQ(rig.effect->createView("Editor"), nullptr);
    EXPECT_EQ(rig.effect->createView("editor2"), nullptr);
    EXPECT_EQ(rig.effect->createView(nullptr), nullptr);
    IPtr<IPlugView> second = owned(rig.effect->createView("editor"));
    EXPECT_TRUE(second);
    EXPECT_EQ(rig.effect->ViewCount(), 2);
    second = nullptr;
    EXPECT_EQ(rig.effect->ViewCount(), 1);
}

} // namespace
} // namespace toneloom::testing
