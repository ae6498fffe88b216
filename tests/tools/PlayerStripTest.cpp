// toneloom-play's strip on the headless editor platform, driven by the mouse
// as a user drives it: every pick reaches the window once, values the
// program sets reach it never, and the lists open below the strip.
#include "IGraphicsHeadless.h"
#include "PlatformGraphics.h"
#include "PlayerStrip.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#ifndef _WIN32
#include "PngFile.h"
#endif

namespace toneloom {
namespace {

class RecordingListener : public PlayerStrip::Listener
{
public:
    void StripPlayingChanged(bool playing) override
    {
        calls.push_back(playing ? "playing" : "paused");
    }
    void StripDeviceChosen(int index) override { calls.push_back("device " + std::to_string(index)); }
    void StripSampleRateChosen(int hz) override { calls.push_back("rate " + std::to_string(hz)); }
    void StripBufferChosen(int frames) override
    {
        calls.push_back("buffer " + std::to_string(frames));
    }

    std::vector<std::string> Take()
    {
        std::vector<std::string> taken;
        taken.swap(calls);
        return taken;
    }

    std::vector<std::string> calls;
};

using Calls = std::vector<std::string>;

class PlayerStripTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetGraphicsPlatform(GraphicsPlatform::kHeadless);
        strip = std::make_unique<PlayerStrip>(listener);
        graphics = static_cast<IGraphicsHeadless*>(
            NewPlatformGraphics(strip.get(), PlayerStrip::kWidth,
                                PlayerStrip::kHeight + PlayerStrip::kListRoom, 0, nullptr));
        strip->BuildControls(graphics);
        strip->SetDevices({"Built-in Audio Analog Stereo", "USB Audio CODEC",
                           "HDA NVidia: HDMI 0 (hw:1,3) on the monitor behind the desk"},
                          0);
        strip->SetSampleRates({44100, 48000, 96000}, 1);
        strip->SetBuffers({64, 128, 256, 512, 1024}, 2);
        strip->SetPlaying(true);
        strip->SetTimeText("1:02:03 / 2:00:00");
        strip->SetStatusText("Theta drift, 6.0 Hz beat", false);
        graphics->OpenWindow(nullptr);
        graphics->Tick();
        ASSERT_TRUE(listener.Take().empty());
    }
    void TearDown() override { SetGraphicsPlatform(GraphicsPlatform::kNative); }

    // A click (press and release) at logical (x, y), at scale 1.
    void Click(int x, int y)
    {
        IMouseKeys left;
        left.left = true;
        graphics->MouseDown(x, y, left);
        graphics->MouseUp(x, y, IMouseKeys());
        graphics->Tick();
    }

    RecordingListener listener;
    std::unique_ptr<PlayerStrip> strip; // owns `graphics` once built
    IGraphicsHeadless* graphics = nullptr;
};

TEST_F(PlayerStripTest, PlayButtonReportsEachClick)
{
    Click(31, 31);
    EXPECT_EQ(listener.Take(), (Calls{"paused"}));
    Click(31, 31);
    EXPECT_EQ(listener.Take(), (Calls{"playing"}));
}

TEST_F(PlayerStripTest, DeviceListOpensBelowTheStripAndReportsThePick)
{
    IBox area;
    EXPECT_FALSE(strip->PopupArea(&area));
    Click(300, 20);
    ASSERT_TRUE(strip->PopupArea(&area));
    EXPECT_GE(area.top, PlayerStrip::kHeight);
    EXPECT_LE(area.bottom, PlayerStrip::kHeight + PlayerStrip::kListRoom);
    EXPECT_GE(area.left, 0);
    EXPECT_LE(area.right, PlayerStrip::kWidth);

    // A second press on the box closes the list without a choice.
    Click(300, 20);
    EXPECT_FALSE(strip->PopupArea(&area));
    EXPECT_TRUE(listener.Take().empty());

    // Rows from the list's top: the third entry.
    Click(300, 20);
    ASSERT_TRUE(strip->PopupArea(&area));
    const int row = area.Height() / 3;
    Click(area.left + 30, area.top + 2 * row + row / 2);
    EXPECT_EQ(listener.Take(), (Calls{"device 2"}));
    EXPECT_FALSE(strip->PopupArea(&area));

    // A press anywhere else on the strip, or one the window saw outside
    // the strip, dismisses the list quietly.
    Click(300, 20);
    Click(200, 44);
    EXPECT_FALSE(strip->PopupArea(&area));
    Click(300, 20);
    strip->CloseList();
    EXPECT_FALSE(strip->PopupArea(&area));
    EXPECT_TRUE(listener.Take().empty());
}

TEST_F(PlayerStripTest, WheelOverABoxStepsThroughItsList)
{
    graphics->MouseWheel(330, 44, IMouseKeys(), 1);
    EXPECT_EQ(listener.Take(), (Calls{"rate 96000"}));
    graphics->MouseWheel(330, 44, IMouseKeys(), 1); // already the last one
    EXPECT_TRUE(listener.Take().empty());
    graphics->MouseWheel(420, 44, IMouseKeys(), -2);
    EXPECT_EQ(listener.Take(), (Calls{"buffer 64"}));
}

TEST_F(PlayerStripTest, ValuesTheProgramSetsReachNoListener)
{
    Click(330, 44); // the rate list is open while the program changes the rates
    IBox area;
    ASSERT_TRUE(strip->PopupArea(&area));
    strip->SetSampleRates({48000, 88200}, 0);
    EXPECT_FALSE(strip->PopupArea(&area));
    strip->SetPlaying(false);
    strip->SetDevices({"pulse"}, -1);
    strip->SetBuffers({256}, 0);
    strip->SetStatusText("The saved device is not connected", true);
    graphics->Tick();
    EXPECT_TRUE(listener.Take().empty());

    // And the controls follow them: the wheel steps from the new values.
    graphics->MouseWheel(330, 44, IMouseKeys(), 1);
    Click(31, 31);
    graphics->MouseWheel(300, 20, IMouseKeys(), 1); // none shown: the first
    EXPECT_EQ(listener.Take(), (Calls{"rate 88200", "playing", "device 0"}));
}

TEST_F(PlayerStripTest, DrawsAtTheWindowsScale)
{
#ifndef _WIN32
    // TONELOOM_STRIP_PICTURES=folder keeps the strip at 1x and 2x as PNG
    // files, for looking at it beside the editor.
    if (const char* folder = std::getenv("TONELOOM_STRIP_PICTURES")) {
        std::string error;
        for (float scale : {1.0f, 2.0f}) {
            graphics->SetScale(scale);
            const int x = static_cast<int>(300 * scale);
            const int y = static_cast<int>(20 * scale);
            Click(x, y); // the device list open
            graphics->Tick();
            const std::string path = std::string(folder) + "/strip-" +
                                     std::to_string(static_cast<int>(scale)) + "x.png";
            EXPECT_TRUE(WritePngFile(graphics->Screen(), path, &error)) << error;
            Click(x, y);
        }
    }
#endif

    // The same layout on a surface twice the size; the face comes from the
    // 2x picture set (no black left where the strip is).
    ASSERT_TRUE(graphics->SetScale(2.0f));
    Click(62, 62); // the play button, in surface pixels
    EXPECT_EQ(listener.Take(), (Calls{"paused"}));
    graphics->InvalidateAll();
    graphics->Tick();
    const PX_IBitmap& screen = graphics->Screen();
    ASSERT_EQ(screen.Width(), 2 * PlayerStrip::kWidth);
    for (int x = 0; x < screen.Width(); x += 7) {
        const PX_Pixel pixel = screen.Row(2 * PlayerStrip::kHeight - 3)[x];
        EXPECT_NE(pixel & 0xFFFFFF, 0u) << "x " << x;
    }

}

} // namespace
} // namespace toneloom
