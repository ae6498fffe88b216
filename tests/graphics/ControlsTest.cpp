// The editor's controls, used as a person would: presses, drags, wheel turns,
// hovering and double clicks go through the editor's dispatch on the headless
// platform, and the checks look at parameter values, the edit gestures the
// host hears, and the pixels of the presented editor.
#include "IBitmapControl.h"
#include "IEffectBase.h"
#include "IGraphicsHeadless.h"
#include "IParamRecord.h"
#include "PX_MemBitmap.h"
#include "controls/GRAPH.h"
#include "controls/IButton.h"
#include "controls/IButtonClick.h"
#include "controls/IButtonHold.h"
#include "controls/IDropDown.h"
#include "controls/IDropDownChild.h"
#include "controls/IKnobMulti.h"
#include "controls/IKnobRotVal.h"
#include "controls/ITextControl.h"
#include "controls/IURLControl.h"
#include "controls/PromptPopup.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace toneloom {
namespace {

using Events = std::vector<std::string>;

enum TestParam : int
{
    kLevel = 0,    // double 0..100 %, default 50
    kWave = 1,     // enum of 9 texts, default 0
    kDivision = 2, // enum of 31 texts, default 10
    kClick = 3,    // enum Off/On, for the click button
    kHold = 4,     // enum Off/On, for the hold button
    kTarget = 5,   // enum of 5 texts, for the drop-down
    kToggle = 6,   // enum Off/On, for the plain button
    kParamTotal = 7,
};

const char* const kWaveNames[] = {"Sine",   "Triangle", "Saw",  "Ramp", "Square",
                                  "Golden", "Pulse",    "Step", "Noise"};
const char* const kTargetNames[] = {"None", "Base", "Beat", "Pan", "Volume"};

// A plug-in base that records the edit gestures its host would hear.
class ControlsPlug : public IEffectBase
{
public:
    ControlsPlug()
        : IEffectBase(kParamTotal, "2-2", 1, "Controls", "", "Maker", 0x10A00, 'ctrl', 'Mkr_', 0,
                      false, false, 1)
    {
        ParamAt(kLevel)->DeclareDouble("Level", 50.0, 0.0, 100.0, 0.1, "%");
        ParamAt(kWave)->DeclareEnum("Wave", 0, 9, "");
        for (int i = 0; i < 9; ++i) {
            ParamAt(kWave)->AddValueText(i, kWaveNames[i]);
        }
        ParamAt(kDivision)->DeclareEnum("Division", 10, 31, "");
        for (int i = 0; i < 31; ++i) {
            char text[16];
            std::snprintf(text, sizeof text, "%d/16", i + 1);
            ParamAt(kDivision)->AddValueText(i, text);
        }
        for (int index : {kClick, kHold, kToggle}) {
            ParamAt(index)->DeclareEnum("Switch", 0, 2, "");
            ParamAt(index)->AddValueText(0, "Off");
            ParamAt(index)->AddValueText(1, "On");
        }
        ParamAt(kTarget)->DeclareEnum("Target", 0, 5, "");
        for (int i = 0; i < 5; ++i) {
            ParamAt(kTarget)->AddValueText(i, kTargetNames[i]);
        }
    }

    void NotifyEditBegin(int index) override { events.push_back("begin " + std::to_string(index)); }
    void NotifyEditValue(int index, double normalised) override
    {
        char text[48];
        std::snprintf(text, sizeof text, "value %d %.4f", index, normalised);
        events.emplace_back(text);
    }
    void NotifyEditEnd(int index) override { events.push_back("end " + std::to_string(index)); }
    int64_t GetSamplePosition() override { return 0; }
    double GetTempo() override { return 120.0; }
    void GetTimeSignature(int* numerator, int* denominator) override
    {
        *numerator = 4;
        *denominator = 4;
    }
    void ResizeEditor(int, int) override {}
    bool SendMidi(const MidiMessage*) override { return false; }
    int HostTransportState() override { return kTransportPlaying; }
    void HostTimeInfo(ITimeInfo* info) override { *info = ITimeInfo{}; }
    bool IsRenderingOffline() override { return false; }

    // The gestures since the last call.
    Events TakeEvents()
    {
        Events taken;
        taken.swap(events);
        return taken;
    }

    Events events;
};

// A frame-strip knob that remembers how its pop-up closed.
class RecordingKnob : public IKnobMulti
{
public:
    using IKnobMulti::IKnobMulti;
    void PopupClosed(const char* text, int index) override
    {
        closedText = text;
        closedIndex = index;
        ++closedCount;
    }
    std::string closedText;
    int closedIndex = 99;
    int closedCount = 0;
};

std::unique_ptr<PX_MemBitmap> MakePicture(int width, int height,
                                          const std::function<PX_Pixel(int, int)>& pixelAt)
{
    auto bitmap = std::make_unique<PX_MemBitmap>(width, height, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bitmap->Row(y)[x] = pixelAt(x, y);
        }
    }
    return bitmap;
}

IImage ImageOf(const PX_MemBitmap& bitmap, int frames)
{
    return IImage{const_cast<PX_MemBitmap*>(&bitmap), bitmap.Width(), bitmap.Height(), frames};
}

constexpr PX_Pixel kBlack = PX_MakePixel(255, 0, 0, 0);
constexpr PX_Pixel kClear = PX_MakePixel(0, 0, 0, 0);
constexpr int kEditorWidth = 470;
constexpr int kEditorHeight = 455;
constexpr int kTextSize = 15;
constexpr int kTextGap = 5;
constexpr double kGearing = 4.0;

class ControlsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        background = MakePicture(kEditorWidth, kEditorHeight, [](int, int) { return kBlack; });
        // A pointer dot at twelve o'clock on a clear 41 x 41 knob.
        pointer = MakePicture(41, 41, [](int x, int y) {
            return x >= 18 && x <= 22 && y >= 2 && y <= 6 ? PX_MakePixel(255, 255, 0, 0) : kClear;
        });
        // Nine opaque 40 x 40 frames side by side; frame k has blue 20 + 25k.
        strip = MakePicture(9 * 40, 40, [](int x, int) {
            return PX_MakePixel(255, 0, 0, static_cast<uint32_t>(20 + 25 * (x / 40)));
        });
        // Five closed frames of 86 x 16 stacked; frame k has green 20 + 40k.
        closedList = MakePicture(86, 80, [](int, int y) {
            return PX_MakePixel(255, 0, static_cast<uint32_t>(20 + 40 * (y / 16)), 0);
        });
        openList = MakePicture(90, 91, [](int, int) { return PX_MakePixel(255, 90, 90, 90); });
        switchFace = MakePicture(40, 20, [](int, int) { return PX_MakePixel(255, 0, 255, 0); });
        holdFace = MakePicture(40, 20, [](int, int) { return PX_MakePixel(255, 0, 0, 255); });

        ITextStyle knobStyle("Arial", kTextSize, IRgba(200, 255, 255, 255), kStyleNormal,
                             kAlignLeft);
        gfx = new IGraphicsHeadless(&plug, kEditorWidth, kEditorHeight);
        gfx->AddControl(
            new IBitmapControl(&plug, 0, 0, -1, ImageOf(*background, 1), IBlend(kBlendCopy, 1.0f)));
        level = new IKnobRotVal(&plug, kLevel, 100, 100, ImageOf(*pointer, 1), knobStyle, kTextGap,
                                300, kGearing, 0, 0, 0.2f, true, 0);
        gfx->AddControl(level);
        wave = new RecordingKnob(&plug, kWave, 200, 100, ImageOf(*strip, 9), knobStyle, kTextGap,
                                 300, kGearing, 68, 0);
        gfx->AddControl(wave);
        division = new IKnobRotVal(&plug, kDivision, 440, 420, ImageOf(*pointer, 1), knobStyle,
                                   kTextGap, 300, kGearing, 0, 0, 0.2f, true, 0);
        gfx->AddControl(division);
        toggle = new IButton(&plug, kToggle, 20, 200, ImageOf(*switchFace, 1), 0.2f);
        gfx->AddControl(toggle);
        click = new IButtonClick(&plug, kClick, 300, 200, ImageOf(*switchFace, 1), 0.2f);
        click->SetClickFlag(&clickFlag);
        gfx->AddControl(click);
        hold = new IButtonHold(&plug, kHold, 80, 200, ImageOf(*holdFace, 1));
        gfx->AddControl(hold);
        dropDown = new IDropDown(&plug, kTarget, 84, 300, ImageOf(*closedList, 5),
                                 ImageOf(*openList, 5), 1, IDropDown::kBelowLeft);
        gfx->AddControl(dropDown);
        marker1 = new GRAPH(&plug, 22, &markerState1);
        gfx->AddControl(marker1);
        marker2 = new GRAPH(&plug, 246, &markerState2);
        gfx->AddControl(marker2);
        label = new ITextControl(&plug, IBox{216, 240, 300, 255},
                                 ITextStyle("Arial", kTextSize, IRgba(200, 255, 255, 255)), "");
        gfx->AddControl(label);
        link = new IURLControl(&plug, IBox{139, 15, 331, 62}, "https://example.com/toneloom",
                               "https://example.com/", nullptr);
        gfx->AddControl(link);

        plug.AttachEditor(gfx); // the plug-in owns the editor from here
        gfx->SetHoverEnabled(true);
        gfx->OpenWindow(nullptr);
        gfx->Tick();
        plug.TakeEvents();
    }

    PX_Pixel At(int x, int y) const { return gfx->Screen().Row(y)[x]; }
    double ParamValue(int index) const { return plug.ParamAt(index)->Value(); }

    void Press(int x, int y, IMouseKeys keys = Left()) { gfx->MouseDown(x, y, keys); }
    void Release(int x, int y, IMouseKeys keys = Left()) { gfx->MouseUp(x, y, keys); }
    void Click(int x, int y, IMouseKeys keys = Left())
    {
        Press(x, y, keys);
        Release(x, y, keys);
    }
    void RightClick(int x, int y) { Click(x, y, Right()); }
    static IMouseKeys Left()
    {
        IMouseKeys keys;
        keys.left = true;
        return keys;
    }
    static IMouseKeys Right()
    {
        IMouseKeys keys;
        keys.right = true;
        return keys;
    }
    PromptPopup* OpenPopup() const { return dynamic_cast<PromptPopup*>(gfx->OpenPopup()); }

    // Angle (degrees clockwise from twelve o'clock) of the red pointer dot
    // around the centre of the knob picture drawn at (cx, cy), from the
    // centroid of the red (not white) pixels of the picture's square.
    double PointerAngleAround(int cx, int cy) const
    {
        const double centreX = cx + 0.5; // the 41-pixel picture spans cx - 20 .. cx + 20
        const double centreY = cy + 0.5;
        double sumX = 0.0;
        double sumY = 0.0;
        double weight = 0.0;
        for (int y = cy - 20; y <= cy + 20; ++y) {
            for (int x = cx - 20; x <= cx + 20; ++x) {
                const PX_Pixel p = At(x, y);
                const double red = PX_Green(p) < 50 ? PX_Red(p) : 0.0;
                sumX += red * (x + 0.5 - centreX);
                sumY += red * (y + 0.5 - centreY);
                weight += red;
            }
        }
        if (weight <= 0.0) {
            return NAN;
        }
        return std::atan2(sumX / weight, -sumY / weight) * 180.0 / 3.14159265358979323846;
    }
    uint32_t BrightestRedAround(int cx, int cy) const
    {
        uint32_t brightest = 0;
        for (int y = cy - 20; y <= cy + 20; ++y) {
            for (int x = cx - 20; x <= cx + 20; ++x) {
                brightest = std::max(brightest, PX_Red(At(x, y)));
            }
        }
        return brightest;
    }

    // Pictures first: the plug-in (and with it the editor and its controls)
    // goes before them.
    std::unique_ptr<PX_MemBitmap> background, pointer, strip, closedList, openList, switchFace,
        holdFace;
    LfoMarkerState markerState1;
    LfoMarkerState markerState2;
    std::atomic<bool> clickFlag{false};
    ControlsPlug plug;
    IGraphicsHeadless* gfx = nullptr;
    IKnobRotVal* level = nullptr;
    RecordingKnob* wave = nullptr;
    IKnobRotVal* division = nullptr;
    IButton* toggle = nullptr;
    IButtonClick* click = nullptr;
    IButtonHold* hold = nullptr;
    IDropDown* dropDown = nullptr;
    GRAPH* marker1 = nullptr;
    GRAPH* marker2 = nullptr;
    ITextControl* label = nullptr;
    IURLControl* link = nullptr;
};

TEST_F(ControlsTest, KnobBoxesLeaveRoomForTheValueText)
{
    // The picture's size (or the given width) and 15 + 5 pixels below it.
    EXPECT_EQ(level->Box(), (IBox{79, 79, 121, 141}));
    EXPECT_EQ(wave->Box(), (IBox{166, 80, 234, 140}));
    // The editor's own numbers: a 7-frame 406 x 58 strip, width 88.
    IKnobMulti waveSelector(&plug, kWave, 410, 120, IImage{nullptr, 406, 58, 7},
                            ITextStyle("Arial", kTextSize, IRgba()), kTextGap, 300, kGearing, 88,
                            0);
    EXPECT_EQ(waveSelector.Box(), (IBox{366, 91, 454, 169}));
    IDropDown target(&plug, kTarget, 84, 300, IImage{nullptr, 86, 80, 5},
                     IImage{nullptr, 90, 91, 5}, 1, 0);
    EXPECT_EQ(target.Box(), (IBox{84, 299, 170, 317}));
}

TEST_F(ControlsTest, KnobDragsByGearingAndReturnsToDefaultOnDoubleClick)
{
    const int height = level->Box().Height(); // 62: the full range is 4 x 62 pixels
    Press(100, 100);
    gfx->MouseDrag(100, 100 - height / 2, Left());
    gfx->MouseDrag(100, 100 - height, Left());
    Release(100, 100 - height);
    EXPECT_NEAR(ParamValue(kLevel), 75.0, 1e-9);
    EXPECT_EQ(plug.TakeEvents(),
              (Events{"begin 0", "value 0 0.6250", "value 0 0.7500", "value 0 0.7500", "end 0"}));

    // Shift gears down ten times: the same travel moves a tenth as far.
    IMouseKeys shift = Left();
    shift.shift = true;
    Press(100, 100, shift);
    gfx->MouseDrag(100, 100 - height, shift);
    Release(100, 100 - height, shift);
    EXPECT_NEAR(ParamValue(kLevel), 77.5, 1e-9);

    // Down past the end of the range stops at 0, even outside the window.
    plug.TakeEvents();
    Press(100, 100);
    gfx->MouseDrag(100, 1000, Left());
    Release(100, 1000);
    EXPECT_EQ(ParamValue(kLevel), 0.0);
    EXPECT_EQ(plug.TakeEvents(), (Events{"begin 0", "value 0 0.0000", "value 0 0.0000", "end 0"}));

    // A double click goes back to the value first shown (the default).
    EXPECT_FALSE(gfx->MouseDoubleClick(100, 100, Left()));
    Release(100, 100);
    EXPECT_EQ(ParamValue(kLevel), 50.0);
    // (The release re-sends it, inside the same gesture.)
    EXPECT_EQ(plug.TakeEvents(), (Events{"begin 0", "value 0 0.5000", "value 0 0.5000", "end 0"}));
}

TEST_F(ControlsTest, WheelStepsByParameterKindAndEndsTheEditLater)
{
    IMouseKeys none;
    gfx->MouseWheel(100, 100, none, 3);
    EXPECT_NEAR(ParamValue(kLevel), 53.0, 1e-4);
    IMouseKeys fine;
    fine.ctrl = true;
    gfx->MouseWheel(100, 100, fine, -1);
    EXPECT_NEAR(ParamValue(kLevel), 52.9, 1e-4);
    EXPECT_EQ(plug.TakeEvents(), (Events{"begin 0", "value 0 0.5300", "value 0 0.5290"}));

    // One edit for the burst, ended half a second (12 ticks) after the last notch.
    for (int tick = 0; tick < 11; ++tick) {
        gfx->Tick();
    }
    EXPECT_TRUE(plug.TakeEvents().empty());
    gfx->Tick();
    EXPECT_EQ(plug.TakeEvents(), (Events{"end 0"}));

    // A nine-entry list moves half an entry per notch: two notches, one entry.
    gfx->MouseWheel(200, 100, none, 2);
    EXPECT_EQ(ParamValue(kWave), 1.0);
}

TEST_F(ControlsTest, RotatingKnobTurnsItsPointerAndDimsWhileHovered)
{
    struct Case
    {
        double normalised;
        double degrees;
    };
    for (const Case& c : {Case{0.0, -150.0}, Case{0.5, 0.0}, Case{1.0, 150.0}}) {
        gfx->PushParamToControls(kLevel, c.normalised, true);
        gfx->Tick();
        EXPECT_NEAR(PointerAngleAround(100, 100), c.degrees, 5.0) << "value " << c.normalised;
    }
    EXPECT_DOUBLE_EQ(level->AngleFor(0.5), 0.0);
    EXPECT_NEAR(level->AngleFor(1.0), 150.0 * 3.14159265358979323846 / 180.0, 1e-6);

    gfx->PushParamToControls(kLevel, 0.5, true);
    gfx->Tick();
    EXPECT_GE(BrightestRedAround(100, 100), 250u);
    IMouseKeys none;
    EXPECT_TRUE(gfx->MouseHover(100, 100, none));
    EXPECT_TRUE(level->IsHovered());
    gfx->Tick();
    EXPECT_NEAR(BrightestRedAround(100, 100), 0.8 * 255, 4.0); // dimmed by 0.2
    gfx->MouseHover(300, 420, none);                           // onto the background
    EXPECT_FALSE(level->IsHovered());
    gfx->Tick();
    EXPECT_GE(BrightestRedAround(100, 100), 250u);
}

TEST_F(ControlsTest, FrameKnobShowsTheFrameItsValueChooses)
{
    for (int entry : {0, 4, 8}) {
        gfx->PushParamToControls(kWave, entry / 8.0, true);
        gfx->Tick();
        EXPECT_EQ(wave->FrameForValue(), entry + 1);
        // The frame is drawn 40 x 40 around the centre (200, 100).
        EXPECT_EQ(PX_Blue(At(200, 100)), 20u + 25u * entry) << "entry " << entry;
        EXPECT_EQ(PX_Blue(At(181, 81)), 20u + 25u * entry);
        EXPECT_EQ(PX_Blue(At(178, 100)), 0u); // left of the frame
    }
}

TEST_F(ControlsTest, ButtonsToggleFlagAndHold)
{
    const auto green = [this] { return PX_Green(At(30, 210)); };
    EXPECT_EQ(green(), 0u); // off: nothing drawn
    Click(30, 210);
    EXPECT_EQ(ParamValue(kToggle), 1.0);
    EXPECT_EQ(plug.TakeEvents(), (Events{"begin 6", "value 6 1.0000", "end 6"}));
    gfx->Tick();
    EXPECT_EQ(green(), 255u);
    RightClick(30, 210); // re-sends, does not switch
    EXPECT_EQ(ParamValue(kToggle), 1.0);
    Click(30, 210);
    EXPECT_EQ(ParamValue(kToggle), 0.0);
    gfx->Tick();
    EXPECT_EQ(green(), 0u);
    IMouseKeys none;
    gfx->MouseHover(30, 210, none); // off and hovered: the face at the hover weight
    gfx->Tick();
    EXPECT_NEAR(green(), 0.2 * 255, 3.0);

    // The click button raises the plug-in's flag for either button.
    Click(310, 210);
    EXPECT_TRUE(clickFlag.exchange(false));
    EXPECT_EQ(ParamValue(kClick), 1.0);
    RightClick(310, 210);
    EXPECT_TRUE(clickFlag.load());
    EXPECT_EQ(ParamValue(kClick), 1.0);

    // The hold button is on exactly while held, even when released far away.
    plug.TakeEvents();
    Press(90, 210);
    EXPECT_EQ(ParamValue(kHold), 1.0);
    gfx->Tick();
    EXPECT_EQ(PX_Blue(At(90, 210)), 255u);
    gfx->MouseDrag(900, 900, Left());
    EXPECT_EQ(ParamValue(kHold), 1.0);
    Release(900, 900);
    EXPECT_EQ(ParamValue(kHold), 0.0);
    EXPECT_EQ(plug.TakeEvents(), (Events{"begin 4", "value 4 1.0000", "value 4 0.0000", "end 4"}));
    gfx->Tick();
    EXPECT_EQ(PX_Blue(At(90, 210)), 0u);

    // Closing the editor mid-hold lets go of the button too.
    Press(90, 210);
    gfx->CloseWindow();
    EXPECT_EQ(ParamValue(kHold), 0.0);
    EXPECT_EQ(plug.TakeEvents(), (Events{"begin 4", "value 4 1.0000", "value 4 0.0000", "end 4"}));
}

TEST_F(ControlsTest, DropDownOpensPicksAndCloses)
{
    const int controlsBefore = gfx->ControlCount();
    Click(100, 305);
    ASSERT_TRUE(dropDown->IsOpen());
    IDropDownChild* list = dropDown->Child();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(gfx->ControlCount(), controlsBefore + 1);
    EXPECT_EQ(gfx->IndexOf(list), controlsBefore); // above everything
    EXPECT_EQ(list->Box(), (IBox{84, 316, 174, 407}));
    gfx->Tick();
    EXPECT_EQ(At(120, 360), PX_MakePixel(255, 90, 90, 90));
    plug.TakeEvents();

    // Rows are 91 / 5 = 18.2 pixels: y 375 lies in the fourth ("Pan").
    Click(120, 375);
    EXPECT_EQ(ParamValue(kTarget), 3.0);
    EXPECT_EQ(plug.TakeEvents(), (Events{"begin 5", "value 5 0.7500", "end 5"}));
    EXPECT_FALSE(dropDown->IsOpen());
    EXPECT_TRUE(list->IsHidden());
    gfx->Tick();
    EXPECT_EQ(PX_Green(At(100, 305)), 20u + 40u * 3); // the closed face shows frame 4

    // Opened again, the same child shows; the bottom edge chooses nothing.
    Click(100, 305);
    EXPECT_FALSE(list->IsHidden());
    EXPECT_EQ(gfx->ControlCount(), controlsBefore + 1);
    plug.TakeEvents();
    Click(120, 407);
    EXPECT_EQ(ParamValue(kTarget), 3.0);
    EXPECT_TRUE(plug.TakeEvents().empty());
    // A second press on the drop-down closes the list.
    Click(100, 305);
    EXPECT_FALSE(dropDown->IsOpen());
    EXPECT_TRUE(list->IsHidden());

    // A value from the host closes an open list and is not sent back.
    Click(100, 305);
    plug.TakeEvents();
    gfx->PushParamToControls(kTarget, 0.25, true);
    gfx->Tick();
    EXPECT_FALSE(dropDown->IsOpen());
    EXPECT_TRUE(list->IsHidden());
    EXPECT_TRUE(plug.TakeEvents().empty());
}

TEST_F(ControlsTest, RightClickOnAListKnobOpensItsValuesInsideTheEditor)
{
    RightClick(200, 100);
    PromptPopup* popup = OpenPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(gfx->IndexOf(popup), gfx->ControlCount() - 1);
    ASSERT_EQ(popup->ItemCount(), 9);
    for (int i = 0; i < 9; ++i) {
        EXPECT_STREQ(popup->ItemText(i), kWaveNames[i]);
    }
    EXPECT_EQ(popup->Selected(), 0);
    EXPECT_EQ(popup->VisibleRows(), 5);
    EXPECT_TRUE(popup->HasScrollBar());
    const IBox box = popup->Box();
    EXPECT_EQ(box.Height(), 5 * 21);
    // Centred over the knob.
    EXPECT_LE(std::abs((box.left + box.right) - (wave->Box().left + wave->Box().right)), 1);

    // Drawn in the pop-up style's fill; the editor shows through outside it.
    gfx->Tick();
    const int midY = (box.top + box.bottom) / 2;
    EXPECT_NEAR(PX_Red(At(box.left + 2, midY)), 50 * 245 / 255.0, 3.0);
    EXPECT_EQ(PX_Red(At(box.left - 3, midY)), 0u);

    // A press on the third row chooses "Saw" through the knob, as one gesture.
    plug.TakeEvents();
    Click(box.left + 20, box.top + 2 * 21 + 10);
    EXPECT_EQ(ParamValue(kWave), 2.0);
    EXPECT_EQ(plug.TakeEvents(), (Events{"begin 1", "value 1 0.2500", "end 1"}));
    EXPECT_EQ(wave->closedIndex, 2);
    EXPECT_EQ(wave->closedText, "Saw");
    EXPECT_EQ(gfx->OpenPopup(), nullptr);
    EXPECT_EQ(gfx->IndexOf(popup), -1);

    // Dismissed by a press elsewhere: the knob hears ("", -1), nothing changes.
    RightClick(200, 100);
    ASSERT_NE(OpenPopup(), nullptr);
    const int controls = gfx->ControlCount();
    plug.TakeEvents();
    Click(300, 400);
    EXPECT_EQ(gfx->OpenPopup(), nullptr);
    EXPECT_EQ(gfx->ControlCount(), controls - 1);
    EXPECT_EQ(wave->closedIndex, -1);
    EXPECT_EQ(wave->closedText, "");
    EXPECT_EQ(ParamValue(kWave), 2.0);
    EXPECT_TRUE(plug.TakeEvents().empty());
}

TEST_F(ControlsTest, LongListNearTheCornerScrollsAndStaysInsideTheMargin)
{
    RightClick(440, 420);
    PromptPopup* popup = OpenPopup();
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(popup->ItemCount(), 31);
    EXPECT_STREQ(popup->ItemText(30), "31/16");
    EXPECT_EQ(popup->VisibleRows(), 8); // one more row per ten entries
    EXPECT_TRUE(popup->HasScrollBar());
    const IBox box = popup->Box();
    EXPECT_EQ(box.right, kEditorWidth - PromptPopup::kEdgeMargin);
    EXPECT_EQ(box.bottom, kEditorHeight - PromptPopup::kEdgeMargin);
    // The current entry (10) is scrolled into view.
    EXPECT_EQ(popup->Selected(), 10);
    EXPECT_LE(popup->FirstVisible(), 10);
    EXPECT_GT(popup->FirstVisible() + popup->VisibleItems(), 10);

    // The wheel scrolls the page; a press on its bottom edge picks nothing.
    const int first = popup->FirstVisible();
    gfx->MouseWheel(box.left + 20, box.top + 30, IMouseKeys(), -100);
    EXPECT_GT(popup->FirstVisible(), first);
    EXPECT_EQ(popup->FirstVisible() + popup->VisibleItems(), 31); // stops at the end
    Click(box.left + 20, box.bottom);
    EXPECT_EQ(OpenPopup(), popup);
    // The last row is the last entry.
    Click(box.left + 20, box.bottom - 5);
    EXPECT_EQ(ParamValue(kDivision), 30.0);
    EXPECT_EQ(gfx->OpenPopup(), nullptr);
}

TEST_F(ControlsTest, RightClickOnANumberKnobAsksForAValue)
{
    RightClick(100, 100);
    EXPECT_EQ(OpenPopup(), nullptr);
    ASSERT_EQ(gfx->ValueEntryRequests(), 1);
    EXPECT_EQ(gfx->ValueEntryControl(), level);
    plug.TakeEvents();
    gfx->TypeValueEntry("80");
    gfx->CommitValueEntry();
    gfx->Tick();
    EXPECT_EQ(ParamValue(kLevel), 80.0);
    Events events = plug.TakeEvents();
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[0], "begin 0");
    EXPECT_EQ(events[1], "value 0 0.8000");
    EXPECT_EQ(events[2], "end 0");

    level->SetPromptDisabled(true);
    RightClick(100, 100);
    EXPECT_EQ(gfx->ValueEntryRequests(), 1);
}

TEST_F(ControlsTest, TextRedrawsOnlyWhenItChanges)
{
    gfx->Tick();
    EXPECT_FALSE(label->IsDirty());
    label->TakeEditedText("ALPHA");
    EXPECT_TRUE(label->IsDirty());
    EXPECT_STREQ(label->Text(), "ALPHA");
    gfx->Tick();
    EXPECT_FALSE(label->IsDirty());
    label->TakeEditedText("ALPHA");
    EXPECT_FALSE(label->IsDirty());
    label->TakeEditedText("THETA");
    EXPECT_TRUE(label->IsDirty());
    EXPECT_STREQ(label->Text(), "THETA");
    label->TakeEditedText(nullptr);
    EXPECT_STREQ(label->Text(), "");
}

// A text control that takes a new text right after drawing, as the plug-in
// side may from the audio thread while the UI thread's pass is drawing.
class TextChangedWhileDrawn : public ITextControl
{
public:
    using ITextControl::ITextControl;
    bool Render(IGraphics& graphics) override
    {
        const bool drawn = ITextControl::Render(graphics);
        if (pending != nullptr) {
            const char* next = pending;
            pending = nullptr;
            TakeEditedText(next);
        }
        return drawn;
    }
    const char* pending = nullptr;
};

TEST_F(ControlsTest, TextTakenWhileItDrawsIsDrawnByTheNextPass)
{
    const IBox box{216, 270, 300, 285};
    auto* late = new TextChangedWhileDrawn(
        &plug, box, ITextStyle("Arial", kTextSize, IRgba(200, 255, 255, 255)), "ALPHA");
    gfx->AddControl(late);
    gfx->Tick();
    EXPECT_FALSE(late->NeedsRedraw());

    late->pending = "OMEGA";
    late->MarkDirty(false);
    gfx->Tick(); // draws "ALPHA" and takes "OMEGA"; the pass then clears `dirty`
    EXPECT_STREQ(late->Text(), "OMEGA");
    EXPECT_TRUE(late->NeedsRedraw());
    gfx->Tick();
    EXPECT_EQ(gfx->LastPresented().Intersect(box), box);
    EXPECT_FALSE(late->NeedsRedraw());
}

TEST_F(ControlsTest, MarkersFollowTheLfoAndShowTheConflict)
{
    markerState1.low = 0.0f;
    markerState1.high = 2.0f;
    markerState1.position = 1.0f; // the middle: 98 pixels in
    markerState1.active = true;
    markerState2.conflict = true;
    EXPECT_TRUE(marker1->NeedsRedraw());
    gfx->Tick();
    EXPECT_NEAR(PX_Red(At(22 + 98, 408)), 150, 3.0);
    EXPECT_NEAR(PX_Red(At(22 + 103, 409)), 150, 3.0);
    EXPECT_EQ(PX_Red(At(22 + 97, 408)), 0u);
    EXPECT_EQ(PX_Red(At(22 + 104, 408)), 0u);
    // LFO 2 idle because LFO 1 has its target: a red bar at the left end.
    EXPECT_NEAR(PX_Red(At(248, 409)), 200, 3.0);
    EXPECT_EQ(PX_Green(At(248, 409)), 0u);
    EXPECT_EQ(PX_Red(At(252, 409)), 0u);

    // The marker moves at the next refresh, without being told.
    markerState1.position = 2.0f;
    gfx->Tick();
    EXPECT_EQ(PX_Red(At(22 + 98, 408)), 0u);
    EXPECT_NEAR(PX_Red(At(22 + 195, 408)), 150, 3.0);

    // Unset or odd ranges keep the marker in its track.
    EXPECT_EQ(GRAPH::MarkerOffset(1.0f, 0.0f, 0.0f), 0);
    EXPECT_EQ(GRAPH::MarkerOffset(5.0f, 0.0f, 1.0f), GRAPH::kTravel);
    EXPECT_EQ(GRAPH::MarkerOffset(-5.0f, 0.0f, 1.0f), 0);
    EXPECT_EQ(GRAPH::MarkerOffset(NAN, 0.0f, 1.0f), 0);
}

TEST_F(ControlsTest, LinkOpensTheAddressOrItsFallback)
{
    Click(200, 30);
    EXPECT_EQ(gfx->OpenedUrls(), (std::vector<std::string>{"https://example.com/toneloom"}));
    gfx->SetUrlOpenResult(false);
    Click(200, 30);
    EXPECT_EQ(gfx->OpenedUrls().size(), 3u);
    EXPECT_EQ(gfx->OpenedUrls().back(), "https://example.com/");

    IURLControl empty(&plug, IBox{0, 0, 10, 10}, "", nullptr, nullptr);
    empty.SetGraphics(gfx);
    empty.HandlePress(5, 5, Left());
    EXPECT_EQ(gfx->OpenedUrls().size(), 3u);
}

} // namespace
} // namespace toneloom
