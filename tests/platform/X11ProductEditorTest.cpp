// Toneloom's own editor, loaded from the built bundle the way a Linux DAW
// loads it, opened in a host window under a virtual X server and played with
// real input: what a user sees and what the host hears of it.
#include "EditorHostTestSupport.h"
#include "ModuleHost.h"
#include "X11TestHost.h"
#include "XvfbDisplay.h"

#include "PX_Png.h"

#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <unistd.h>

namespace toneloom::testing {
namespace {

using namespace Steinberg;
using host::HandlerEvent;
using namespace toneloom_editor;

constexpr int kSettleMs = 150;
constexpr unsigned kLeft = 1;
constexpr unsigned long kReturnKey = 0xFF0D;

// The size of the editor's window inside `host` (its one child); 0 x 0 when
// there is none.
ViewRect EditorWindowSize(const HostWindow& host)
{
    const std::vector<unsigned long> children = host.Children();
    XWindowAttributes attributes{};
    if (children.size() != 1 ||
        XGetWindowAttributes(host.Display(), children.front(), &attributes) == 0) {
        return ViewRect();
    }
    return ViewRect(0, 0, attributes.width, attributes.height);
}

class X11ProductEditorTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        std::string error;
        ASSERT_TRUE(EnsureVirtualDisplay(&error)) << error;
    }

    void SetUp() override
    {
        ASSERT_TRUE(plugin.Start());
        view = owned(plugin.Controller()->createView("editor"));
        ASSERT_TRUE(view);
        view->setFrame(&frame);
        ASSERT_EQ(view->attached(window.Parent(), kPlatformTypeX11EmbedWindowID), kResultOk);
        window.MoveTo(-20, -20); // no hover look
        loop.RunFor(2 * kSettleMs);
        plugin.handler->Clear();
    }
    void TearDown() override
    {
        if (view) {
            view->removed();
            view->setFrame(nullptr);
        }
    }

    // Drags the Base Freq knob 40 layout pixels up, in four moves, at an
    // editor scale of `scale`.
    void DragBaseFreqUp(int scale)
    {
        window.MoveTo(scale * kBaseFreqX, scale * kBaseFreqY);
        window.Press(kLeft);
        loop.RunFor(kSettleMs);
        for (int step = 1; step <= 4; ++step) {
            window.MoveTo(scale * kBaseFreqX, scale * (kBaseFreqY - 10 * step));
            loop.RunFor(60);
        }
        window.Release(kLeft);
        loop.RunFor(kSettleMs);
    }

    HostedPlugin plugin{ToneloomBundle()};
    HostWindow window{30, 30, kWidth, kHeight};
    TestRunLoop loop;
    TestPlugFrame frame{&loop};
    IPtr<IPlugView> view;
};

TEST_F(X11ProductEditorTest, ShowsWhatTheHeadlessSnapshotShows)
{
    char path[] = "/tmp/toneloom-snapshot-XXXXXX.png";
    const int fd = mkstemps(path, 4);
    ASSERT_GE(fd, 0);
    close(fd);
    const std::string command =
        std::string(TONELOOM_SNAPSHOT_TOOL) + " --out " + path + " > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream file(path, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file),
                                  std::istreambuf_iterator<char>()};
    std::remove(path);
    std::unique_ptr<PX_IBitmap> snapshot(DecodePng(bytes.data(), bytes.size(), nullptr));
    ASSERT_NE(snapshot, nullptr);
    ASSERT_EQ(snapshot->Width(), kWidth);
    ASSERT_EQ(snapshot->Height(), kHeight);

    int width = 0;
    int height = 0;
    const std::vector<uint32_t> shown = window.Capture(&width, &height);
    ASSERT_EQ(width, kWidth);
    int differing = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const uint32_t a = shown[static_cast<size_t>(y) * width + x];
            const uint32_t b = snapshot->Row(y)[x];
            for (int shift = 0; shift < 24; shift += 8) {
                if (std::abs(static_cast<int>((a >> shift) & 0xFF) -
                             static_cast<int>((b >> shift) & 0xFF)) > 16) {
                    ++differing;
                    break;
                }
            }
        }
    }
    EXPECT_LT(differing, kWidth * kHeight / 100) << "pixels unlike the snapshot";
}

TEST_F(X11ProductEditorTest, BaseFreqKnobDragsAndDoubleClicksBackToItsDefault)
{
    const double start = plugin.Controller()->getParamNormalized(kBaseFreq);
    DragBaseFreqUp(1);
    EXPECT_TRUE(IsOneGesture(plugin.handler->Events(), kBaseFreq));
    EXPECT_GT(plugin.Controller()->getParamNormalized(kBaseFreq), start);

    loop.RunFor(600); // not a double click with the release above
    plugin.handler->Clear();
    window.Click(kBaseFreqX, kBaseFreqY);
    window.Click(kBaseFreqX, kBaseFreqY);
    loop.RunFor(kSettleMs);
    EXPECT_NEAR(plugin.Controller()->getParamNormalized(kBaseFreq), start, 1e-9);
}

TEST_F(X11ProductEditorTest, ContentScaleTwoDoublesTheWindowAndKnobsStillDrag)
{
    FUnknownPtr<IPlugViewContentScaleSupport> scaling(view);
    ASSERT_TRUE(scaling);
    EXPECT_EQ(scaling->setContentScaleFactor(0.5f), kResultFalse);
    EXPECT_EQ(scaling->setContentScaleFactor(4.5f), kResultFalse);
    EXPECT_EQ(scaling->setContentScaleFactor(std::nanf("")), kResultFalse);
    EXPECT_EQ(frame.resizeRequests, 0);

    ASSERT_EQ(scaling->setContentScaleFactor(2.0f), kResultOk);
    EXPECT_EQ(frame.resizeRequests, 1);
    EXPECT_EQ(frame.lastSize.getWidth(), 940);
    EXPECT_EQ(frame.lastSize.getHeight(), 910);
    ViewRect size;
    ASSERT_EQ(view->getSize(&size), kResultOk);
    EXPECT_EQ(size.getWidth(), 940);
    EXPECT_EQ(size.getHeight(), 910);
    loop.RunFor(kSettleMs);
    const ViewRect shown = EditorWindowSize(window);
    EXPECT_EQ(shown.getWidth(), 940);
    EXPECT_EQ(shown.getHeight(), 910);

    // 40 layout pixels up the Base Freq knob are 80 screen pixels now, and
    // turn it as far as 40 do at 1x.
    const double start = plugin.Controller()->getParamNormalized(kBaseFreq);
    DragBaseFreqUp(2);
    EXPECT_TRUE(IsOneGesture(plugin.handler->Events(), kBaseFreq));
    const double knobHeight = 169 - 91; // layout pixels; gearing 4
    EXPECT_NEAR(plugin.Controller()->getParamNormalized(kBaseFreq) - start, 40.0 / knobHeight / 4.0,
                0.01);
}

TEST_F(X11ProductEditorTest, WithoutAHostScaleTheDesktopsXftDpiSizesTheEditor)
{
    // A desktop at 150 % publishes Xft.dpi 144 in the server's resources,
    // for the editor that opens now only.
    struct DesktopResources
    {
        explicit DesktopResources(::Display* connection) : d(connection)
        {
            const char kDpi[] = "Xft.antialias:\t1\nXft.dpi:\t144\n";
            XChangeProperty(d, DefaultRootWindow(d), Property(), XA_STRING, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(kDpi), sizeof kDpi - 1);
            XSync(d, False);
        }
        ~DesktopResources()
        {
            XDeleteProperty(d, DefaultRootWindow(d), Property());
            XSync(d, False);
        }
        Atom Property() const { return XInternAtom(d, "RESOURCE_MANAGER", False); }
        ::Display* d;
    } resources{window.Display()};

    HostWindow second{40, 40, kWidth, kHeight};
    TestPlugFrame secondFrame{&loop};
    IPtr<IPlugView> secondView = owned(plugin.Controller()->createView("editor"));
    ASSERT_TRUE(secondView);
    secondView->setFrame(&secondFrame);
    ViewRect size;
    ASSERT_EQ(secondView->getSize(&size), kResultOk);
    EXPECT_EQ(size.getWidth(), 705);
    EXPECT_EQ(size.getHeight(), 683);
    ASSERT_EQ(secondView->attached(second.Parent(), kPlatformTypeX11EmbedWindowID), kResultOk);
    loop.RunFor(kSettleMs);
    const ViewRect shown = EditorWindowSize(second);
    EXPECT_EQ(shown.getWidth(), 705);
    EXPECT_EQ(shown.getHeight(), 683);
    secondView->removed();
    secondView->setFrame(nullptr);
}

TEST_F(X11ProductEditorTest, TypedBaseFreqReachesTheHost)
{
    window.Click(kBaseFreqX, kBaseFreqY, 3);
    loop.RunFor(kSettleMs);
    window.Type("432");
    window.KeyTap(kReturnKey);
    loop.RunFor(kSettleMs);
    const double normalised = plugin.Controller()->getParamNormalized(kBaseFreq);
    EXPECT_NEAR(plugin.Controller()->normalizedParamToPlain(kBaseFreq, normalised), 432.0, 1e-6);
    const std::vector<HandlerEvent> events = plugin.handler->Events();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().kind, HandlerEvent::kEndEdit);
}

TEST_F(X11ProductEditorTest, LfoTargetPickedFromItsList)
{
    window.Click(kLfo1TargetX, kLfo1TargetY);
    loop.RunFor(kSettleMs);
    const int thirdRow = kTargetListTop + static_cast<int>(2.5 * kTargetListRowHeight);
    window.Click(kLfo1TargetX, thirdRow);
    loop.RunFor(kSettleMs);
    EXPECT_NEAR(plugin.Controller()->getParamNormalized(kLfo1Target), 0.5, 1e-6); // 2 of 0..4
}

// Ardour holds a lock of its own around its program change and takes it
// again in restartComponent: the editor shows the program at once and the
// host hears of it on the editor's next tick, from its own run loop.
TEST_F(X11ProductEditorTest, ProgramPickedByAHostHoldingItsLockShowsAndReachesTheHostLater)
{
    int width = 0;
    int height = 0;
    const std::vector<uint32_t> before = window.Capture(&width, &height);
    ASSERT_EQ(PickProgramHoldingTheHostLock(plugin, "Solfeggio MI - 528 Hz LFO"), kResultOk);
    EXPECT_TRUE(plugin.handler->Events().empty());
    loop.RunFor(kSettleMs);
    EXPECT_TRUE(IsOneValuesRestart(plugin.handler->Events()));
    EXPECT_EQ(plugin.handler->CallsInsideHostCalls(), 0);
    EXPECT_NE(window.Capture(&width, &height), before) << "the editor still shows the old values";
}

} // namespace
} // namespace toneloom::testing
