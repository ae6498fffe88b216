// The Windows editor inside a VST 3 editor view, as a Windows host runs it: a
// top-level window of the host, its message loop, and real input through
// SendInput (under Wine on a virtual X display in CI). The editor is a small
// one (a probe control bound to "Gain" of the adapter test effect), so what
// is checked is the window, the timer, painting and input, not the layout.
#include "AdapterTestEffect.h"
#include "EditorHostTestSupport.h"
#include "GraphicsTestSupport.h"
#include "WinTestHost.h"

#include "HostApplication.h"
#include "IGraphicsWin.h"
#include "RecordingComponentHandler.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

namespace toneloom::testing {
namespace {

using namespace Steinberg;
using host::HandlerEvent;

constexpr int kEditorWidth = 100;
constexpr int kEditorHeight = 80;
constexpr DWORD kSettleMs = 150; // a few timer periods for input to arrive and draw
constexpr int kWheelNotch = 120;
const IBox kProbeBox{10, 10, 50, 50};

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

// One plug-in with its editor, a view on it and the host's window.
struct EditorRig
{
    EditorRig(int left, int top) : window(left, top, kEditorWidth + 40, kEditorHeight + 40)
    {
        effect->initialize(application->unknownCast());
        effect->setComponentHandler(handler);
        graphics = new IGraphicsWin(effect.get(), kEditorWidth, kEditorHeight);
        graphics->SetModuleHandle(GetModuleHandleA(nullptr));
        probe = new ProbeControl(effect.get(), kProbeBox, kTestGain);
        graphics->AddControl(probe);
        effect->AttachEditor(graphics);
        graphics->SetHoverEnabled(true);
        view = owned(effect->createView("editor"));
    }
    ~EditorRig()
    {
        if (view) {
            view->removed();
        }
        view = nullptr;
        effect->terminate();
    }

    tresult Attach() { return view->attached(window.Handle(), kPlatformTypeHWND); }

    HostWindow window;
    IPtr<AdapterTestEffect> effect = owned(new AdapterTestEffect());
    IPtr<host::HostApplication> application = owned(new host::HostApplication("Win Host"));
    IPtr<host::RecordingComponentHandler> handler = owned(new host::RecordingComponentHandler);
    IGraphicsWin* graphics = nullptr; // owned by the effect
    ProbeControl* probe = nullptr;    // owned by the editor
    IPtr<IPlugView> view;
};

TEST(WinViewTest, OpensPaintsClosesAndReopensKeepingTheClassWhileAnotherEditorIsOpen)
{
    EditorRig first(40, 40);
    ASSERT_TRUE(first.view);
    EXPECT_EQ(first.view->isPlatformTypeSupported(kPlatformTypeHWND), kResultTrue);
    EXPECT_EQ(first.view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultFalse);
    ViewRect size;
    ASSERT_EQ(first.view->getSize(&size), kResultOk);
    EXPECT_EQ(size.getWidth(), kEditorWidth);

    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(first.Attach(), kResultOk);
        ASSERT_NE(first.window.Editor(), nullptr);
        EXPECT_EQ(IGraphicsWin::OpenWindowCount(), 1);
        Pump(kSettleMs);
        EXPECT_EQ(first.window.PixelAt(20, 20), RGB(200, 40, 40)); // the probe's colour
        ASSERT_EQ(first.view->removed(), kResultOk);
        EXPECT_EQ(first.window.Editor(), nullptr);
        EXPECT_EQ(IGraphicsWin::OpenWindowCount(), 0);
    }

    EditorRig second(300, 40);
    ASSERT_EQ(first.Attach(), kResultOk);
    ASSERT_EQ(second.Attach(), kResultOk);
    EXPECT_EQ(IGraphicsWin::OpenWindowCount(), 2);
    ASSERT_EQ(first.view->removed(), kResultOk);
    EXPECT_EQ(IGraphicsWin::OpenWindowCount(), 1);
    WNDCLASSA windowClass{};
    EXPECT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "IEffectWndClass", &windowClass));
    Pump(kSettleMs);
    EXPECT_EQ(second.window.PixelAt(20, 20), RGB(200, 40, 40));
}

TEST(WinViewTest, DragOutsideTheWindowAndADoubleClickReachTheHost)
{
    EditorRig rig(40, 40);
    ASSERT_EQ(rig.Attach(), kResultOk);
    Pump(kSettleMs);
    const double start = rig.effect->getParamNormalized(kTestGain);
    rig.window.MoveTo(30, 30);
    rig.window.Mouse(MOUSEEVENTF_LEFTDOWN);
    rig.window.MoveTo(30, 20);
    rig.window.MoveTo(30, -20); // above the editor: the capture keeps the drag
    rig.window.Mouse(MOUSEEVENTF_LEFTUP);
    Pump(kSettleMs);
    EXPECT_TRUE(IsOneGesture(rig.handler->Events(), kTestGain));
    EXPECT_LT(rig.effect->getParamNormalized(kTestGain), start);

    rig.window.Click(30, 30);
    rig.window.Click(30, 30);
    Pump(kSettleMs);
    EXPECT_NEAR(rig.effect->getParamNormalized(kTestGain), start, 1e-12);
}

TEST(WinViewTest, WheelStepsEndOneGestureAboutHalfASecondLater)
{
    EditorRig rig(40, 40);
    ASSERT_EQ(rig.Attach(), kResultOk);
    Pump(kSettleMs);
    rig.window.MoveTo(30, 30);
    for (int step = 0; step < 3; ++step) {
        rig.window.Mouse(MOUSEEVENTF_WHEEL, kWheelNotch);
    }
    Pump(60);
    ASSERT_FALSE(rig.handler->Events().empty());
    EXPECT_NE(rig.handler->Events().back().kind, HandlerEvent::kEndEdit);
    EXPECT_GT(rig.graphics->GestureCountdown(), 0);
    Pump(800);
    const std::vector<HandlerEvent> events = rig.handler->Events();
    EXPECT_TRUE(IsOneGesture(events, kTestGain));
    EXPECT_EQ(events.size(), 5u);
}

TEST(WinViewTest, EntryCommitsOnReturnAndARightClickCancelsIt)
{
    EditorRig rig(40, 40);
    ASSERT_EQ(rig.Attach(), kResultOk);
    Pump(kSettleMs);
    rig.window.Click(30, 30, true);
    Pump(kSettleMs);
    auto entry = static_cast<HWND>(rig.graphics->EntryWindow());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(GetDlgCtrlID(entry), 0x63);
    RECT box{};
    GetWindowRect(entry, &box);
    EXPECT_EQ(box.bottom - box.top, 16);
    SetWindowTextA(entry, ""); // typed over the selection
    rig.window.Type("1.5");
    rig.window.Key(VK_RETURN);
    Pump(kSettleMs);
    EXPECT_EQ(rig.graphics->EntryWindow(), nullptr);
    EXPECT_NEAR(rig.effect->getParamNormalized(kTestGain), 0.75, 1e-9); // 1.5 of 0..2

    Pump(GetDoubleClickTime()); // two quick right clicks are a double click, which does nothing
    rig.window.Click(30, 30, true);
    Pump(kSettleMs);
    ASSERT_NE(rig.graphics->EntryWindow(), nullptr);
    rig.window.Type("2");
    rig.window.Click(80, 70, true);
    Pump(kSettleMs);
    EXPECT_EQ(rig.graphics->EntryWindow(), nullptr);
    EXPECT_NEAR(rig.effect->getParamNormalized(kTestGain), 0.75, 1e-9);
}

TEST(WinViewTest, HostClosingTheEditorWhenItHearsOfATypedValueOrAWheelStep)
{
    EditorRig rig(40, 40);
    IPtr<ClosingHandler> closer = owned(new ClosingHandler);
    rig.effect->setComponentHandler(closer);
    ASSERT_EQ(rig.Attach(), kResultOk);
    Pump(kSettleMs);
    rig.window.Click(30, 30, true);
    Pump(kSettleMs);
    auto entry = static_cast<HWND>(rig.graphics->EntryWindow());
    ASSERT_NE(entry, nullptr);
    SetWindowTextA(entry, "");
    closer->viewToClose = rig.view;
    rig.window.Type("1.5");
    rig.window.Key(VK_RETURN);
    Pump(kSettleMs);
    EXPECT_EQ(rig.graphics->EntryWindow(), nullptr);
    EXPECT_EQ(rig.window.Editor(), nullptr);
    EXPECT_NEAR(rig.effect->getParamNormalized(kTestGain), 0.75, 1e-9);

    // A wheel step's edit ends at once when there is no window left to end
    // it a moment later.
    ASSERT_EQ(rig.Attach(), kResultOk);
    Pump(kSettleMs);
    closer->Clear();
    closer->viewToClose = rig.view;
    rig.window.MoveTo(30, 30);
    rig.window.Mouse(MOUSEEVENTF_WHEEL, kWheelNotch);
    Pump(kSettleMs);
    EXPECT_EQ(rig.window.Editor(), nullptr);
    EXPECT_TRUE(IsOneGesture(closer->Events(), kTestGain));
    EXPECT_EQ(rig.Attach(), kResultOk);
}

TEST(WinViewTest, ClosingMidDragEndsTheGesture)
{
    EditorRig rig(40, 40);
    ASSERT_EQ(rig.Attach(), kResultOk);
    Pump(kSettleMs);
    rig.window.MoveTo(30, 30);
    rig.window.Mouse(MOUSEEVENTF_LEFTDOWN);
    rig.window.MoveTo(30, 25);
    ASSERT_EQ(rig.view->removed(), kResultOk);
    rig.window.Mouse(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(IsOneGesture(rig.handler->Events(), kTestGain));
}

// A host may destroy its window, and the editor's with it, before it removes
// the view: the gesture ends then, and the editor opens again afterwards.
TEST(WinViewTest, HostDestroyingItsWindowMidDragEndsTheGesture)
{
    EditorRig rig(40, 40);
    ASSERT_EQ(rig.Attach(), kResultOk);
    Pump(kSettleMs);
    rig.window.MoveTo(30, 30);
    rig.window.Mouse(MOUSEEVENTF_LEFTDOWN);
    rig.window.MoveTo(30, 25);
    rig.window.Destroy();
    EXPECT_TRUE(IsOneGesture(rig.handler->Events(), kTestGain));
    EXPECT_EQ(rig.graphics->NativeWindow(), nullptr);
    rig.window.Mouse(MOUSEEVENTF_LEFTUP);
    ASSERT_EQ(rig.view->removed(), kResultOk);
    EXPECT_EQ(IGraphicsWin::OpenWindowCount(), 0);

    HostWindow another(40, 40, kEditorWidth + 40, kEditorHeight + 40);
    ASSERT_EQ(rig.view->attached(another.Handle(), kPlatformTypeHWND), kResultOk);
    EXPECT_NE(another.Editor(), nullptr);
}

} // namespace
} // namespace toneloom::testing
