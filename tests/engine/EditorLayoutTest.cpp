// The product's editor as the constructor builds it: every control at its
// index and box, the values it shows at start and after a preset, the
// engine's live updates (band label, wave picture, rate-knob swap, markers),
// and the same layout drawn and used at the screen scales of high-density
// displays.
#include "../raster/RasterTestUtil.h"
#include "TestToneloom.h"
#include "ToneloomEditorLayout.h"

#include "EditorSizeSetting.h"
#include "IBitmapControl.h"
#include "IGraphicsHeadless.h"
#include "PlatformGraphics.h"
#include "controls/GRAPH.h"
#include "controls/IButton.h"
#include "controls/IButtonClick.h"
#include "controls/IButtonHold.h"
#include "controls/IDropDown.h"
#include "controls/IKnobMulti.h"
#include "controls/IKnobRotVal.h"
#include "controls/ITextControl.h"
#include "controls/IURLControl.h"
#include "controls/PromptPopup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <typeinfo>
#include <vector>

#ifdef _WIN32
#include <direct.h>
#include <process.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace toneloom::testing {
namespace {

// The headless platform, chosen before the product is made.
struct HeadlessRig
{
    static bool ChooseHeadless()
    {
        SetGraphicsPlatform(GraphicsPlatform::kHeadless);
        return true;
    }

    bool chosen = ChooseHeadless();
    Rig rig;

    TestToneloom& Fx() { return rig.fx; }
    IGraphicsHeadless& Editor() { return *dynamic_cast<IGraphicsHeadless*>(rig.fx.Editor()); }
    IControl& Control(int index) { return *Editor().ControlAt(index); }

    void Click(int x, int y, bool right = false)
    {
        IMouseKeys keys;
        keys.left = !right;
        keys.right = right;
        Editor().MouseDown(x, y, keys);
        Editor().MouseUp(x, y, keys);
    }

    // Opens the window and draws everything once.
    void Show()
    {
        Editor().OpenWindow(nullptr);
        Editor().Tick();
    }

    PX_Pixel ScreenAt(int x, int y) { return Editor().Screen().Row(y)[x]; }
};

enum class Kind
{
    kImage,
    kMarker,
    kText,
    kLink,
    kRotating,
    kFrames,
    kSwitch,
    kSyncSwitch,
    kList,
    kHold,
};

struct ControlRow
{
    const char* name;
    int index;
    Kind kind;
    int param;
    IBox box;
};

// The layout the editor promises, by index.
const ControlRow kRows[] = {
    {"Background", 0, Kind::kImage, -1, {0, 0, 470, 455}},
    {"Lfo1Marker", 1, Kind::kMarker, -1, {22, 408, 223, 410}},
    {"Lfo2Marker", 2, Kind::kMarker, -1, {246, 408, 447, 410}},
    {"Version", 3, Kind::kText, -1, {45, 12, 95, 30}},
    {"Link", 4, Kind::kLink, -1, {139, 15, 331, 62}},
    {"BandLabel", 5, Kind::kText, -1, {216, 200, 300, 215}},
    {"WavePicture", 6, Kind::kImage, -1, {182, 110, 357, 165}},
    {"BaseFreq", 7, Kind::kRotating, kBaseFreq, {21, 91, 85, 169}},
    {"Binaural", 8, Kind::kRotating, kBinaural, {98, 91, 156, 169}},
    {"Wave", 9, Kind::kFrames, kWave, {366, 91, 454, 169}},
    {"Beats", 10, Kind::kSwitch, kBeats, {370, 185, 449, 208}},
    {"PlayAnyway", 11, Kind::kSwitch, kPlayAnyway, {376, 226, 444, 249}},
    {"Fade", 12, Kind::kRotating, kFade, {7, 195, 67, 255}},
    {"BinauralPan", 13, Kind::kRotating, kBinauralPan, {70, 195, 110, 255}},
    {"Volume", 14, Kind::kRotating, kVolume, {123, 195, 163, 255}},
    {"Lfo1Sync", 15, Kind::kSyncSwitch, kLfo1Sync, {183, 280, 231, 301}},
    {"Lfo1Target", 16, Kind::kList, kLfo1Target, {84, 299, 170, 317}},
    {"Lfo1Start", 17, Kind::kRotating, kLfo1Start, {25, 343, 65, 403}},
    {"Lfo1Wave", 18, Kind::kFrames, kLfo1Wave, {63, 343, 131, 403}},
    {"Lfo1Depth", 19, Kind::kRotating, kLfo1Depth, {129, 343, 169, 403}},
    {"Lfo1RateDivision", 20, Kind::kRotating, kLfo1RateDiv, {181, 343, 221, 403}},
    {"Lfo1RateMs", 21, Kind::kRotating, kLfo1RateMs, {171, 343, 231, 403}},
    {"Lfo2Sync", 22, Kind::kSyncSwitch, kLfo2Sync, {407, 280, 455, 301}},
    {"Lfo2Target", 23, Kind::kList, kLfo2Target, {308, 299, 394, 317}},
    {"Lfo2Start", 24, Kind::kRotating, kLfo2Start, {249, 343, 289, 403}},
    {"Lfo2Wave", 25, Kind::kFrames, kLfo2Wave, {287, 343, 355, 403}},
    {"Lfo2Depth", 26, Kind::kRotating, kLfo2Depth, {353, 343, 393, 403}},
    {"Lfo2RateDivision", 27, Kind::kRotating, kLfo2RateDiv, {405, 343, 445, 403}},
    {"Lfo2RateMs", 28, Kind::kRotating, kLfo2RateMs, {395, 343, 455, 403}},
    {"LfosSync", 29, Kind::kHold, kLfosSync, {195, 414, 275, 437}},
};

bool IsKind(IControl& control, Kind kind)
{
    switch (kind) {
    case Kind::kImage: // the background is a kind of picture control of its own
        return dynamic_cast<IBitmapControl*>(&control) != nullptr;
    case Kind::kMarker:
        return typeid(control) == typeid(GRAPH);
    case Kind::kText:
        return typeid(control) == typeid(ITextControl);
    case Kind::kLink:
        return typeid(control) == typeid(IURLControl);
    case Kind::kRotating:
        return typeid(control) == typeid(IKnobRotVal);
    case Kind::kFrames:
        return typeid(control) == typeid(IKnobMulti);
    case Kind::kSwitch:
        return typeid(control) == typeid(IButton);
    case Kind::kSyncSwitch:
        return typeid(control) == typeid(IButtonClick);
    case Kind::kList:
        return typeid(control) == typeid(IDropDown);
    case Kind::kHold:
        return typeid(control) == typeid(IButtonHold);
    }
    return false;
}

class EditorControl : public ::testing::TestWithParam<ControlRow>
{
};

TEST_P(EditorControl, SitsAtItsIndexAndBoxWithItsParameter)
{
    HeadlessRig editor;
    const ControlRow& row = GetParam();
    ASSERT_EQ(editor.Editor().ControlCount(), kNumEditorControls);
    IControl& control = editor.Control(row.index);
    EXPECT_TRUE(IsKind(control, row.kind)) << typeid(control).name();
    EXPECT_EQ(control.ParamIndex(), row.param);
    const IBox& box = control.Box();
    EXPECT_EQ(box, row.box) << "(" << box.left << ", " << box.top << ", " << box.right << ", "
                            << box.bottom << ")";
    // The editor's own state: 470 x 455, hover on, a surface ready to draw.
    EXPECT_EQ(editor.Editor().Width(), kEditorWidth);
    EXPECT_EQ(editor.Editor().Height(), kEditorHeight);
    EXPECT_TRUE(editor.Editor().HoverEnabled());
    EXPECT_NE(editor.Editor().Surface(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Layout, EditorControl, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<ControlRow>& row) {
                             return std::to_string(row.param.index) + "_" + row.param.name;
                         });

TEST(EditorLayout, ShowsTheDeclaredDefaultsAtStart)
{
    HeadlessRig editor;
    for (int i = 0; i < editor.Editor().ControlCount(); ++i) {
        IControl& control = editor.Control(i);
        const int param = control.ParamIndex();
        if (param < 0) {
            continue;
        }
        const IParamRecord* record = editor.Fx().ParamAt(param);
        const double declared = record->NormalisedOf(record->DefaultValue());
        EXPECT_DOUBLE_EQ(control.Value(), declared) << "control " << i;
        // The first value a control sees is its double-click default.
        EXPECT_DOUBLE_EQ(control.DefaultValue(), declared) << "control " << i;
    }
    // "Binaural" 4 Hz is theta; the wave picture shows "Wave"'s frame.
    auto& band = dynamic_cast<ITextControl&>(editor.Control(kControlBandLabel));
    EXPECT_STREQ(band.Text(), "THETA");
    auto& version = dynamic_cast<ITextControl&>(editor.Control(kControlVersion));
    EXPECT_STREQ(version.Text(), "v1.10");
    const double wave = editor.Fx().ParamAt(kWave)->Value();
    EXPECT_DOUBLE_EQ(editor.Control(kControlWavePicture).Value(), wave / (kNumWaveShapes - 1));
}

TEST(EditorLayout, MillisecondRateKnobsStartHidden)
{
    HeadlessRig editor;
    EXPECT_FALSE(editor.Control(kControlLfo1RateDivision).IsHidden());
    EXPECT_TRUE(editor.Control(kControlLfo1RateMs).IsHidden());
    EXPECT_FALSE(editor.Control(kControlLfo2RateDivision).IsHidden());
    EXPECT_TRUE(editor.Control(kControlLfo2RateMs).IsHidden());
    // A hidden knob is not hit: the shared centre reaches the division knob.
    EXPECT_EQ(editor.Editor().FindControlAt(201, 363), kControlLfo1RateDivision);
    EXPECT_EQ(editor.Editor().FindControlAt(425, 363), kControlLfo2RateDivision);
}

TEST(EditorLayout, PresetMovesEveryKnobAndTheBandLabel)
{
    HeadlessRig editor;
    TestToneloom& fx = editor.Fx();
    const int modulatedBinaural = 2; // "Modulated Binaural"
    ASSERT_STREQ(fx.PresetName(modulatedBinaural), "Modulated Binaural");
    {
        IEffectBase::InstanceLock lock(fx.Mutex());
        ASSERT_TRUE(fx.LoadPreset(modulatedBinaural));
    }
    int moved = 0;
    for (int i = 0; i < editor.Editor().ControlCount(); ++i) {
        IControl& control = editor.Control(i);
        if (control.ParamIndex() < 0) {
            continue;
        }
        const IParamRecord* record = fx.ParamAt(control.ParamIndex());
        EXPECT_NEAR(control.Value(), record->CurrentNormalised(), 1e-12) << "control " << i;
        moved += control.Value() != control.DefaultValue() ? 1 : 0;
    }
    EXPECT_GT(moved, 0);
    auto& band = dynamic_cast<ITextControl&>(editor.Control(kControlBandLabel));
    EXPECT_STREQ(band.Text(), fx.BandText());
    EXPECT_STRNE(band.Text(), "");

    // Back to the default slot: every knob returns and so does the label.
    {
        IEffectBase::InstanceLock lock(fx.Mutex());
        ASSERT_TRUE(fx.LoadPreset(0));
    }
    for (int i = 0; i < editor.Editor().ControlCount(); ++i) {
        IControl& control = editor.Control(i);
        if (control.ParamIndex() >= 0) {
            EXPECT_DOUBLE_EQ(control.Value(), control.DefaultValue()) << "control " << i;
        }
    }
    EXPECT_STREQ(band.Text(), "THETA");
}

TEST(EditorLayout, WaveChangeRedrawsOnlyThePictureAndTheKnobsRows)
{
    HeadlessRig editor;
    editor.Show();
    const IBox picture = editor.Control(kControlWavePicture).Box();
    const IBox knob = editor.Control(kControlWave).Box();
    const PX_IBitmap& screen = editor.Editor().Screen();
    std::vector<PX_Pixel> before;
    for (int y = 0; y < kEditorHeight; ++y) {
        before.insert(before.end(), screen.Row(y), screen.Row(y) + kEditorWidth);
    }
    editor.rig.Set(kWave, kWaveGoldenTriangle);
    editor.Editor().PushParamToControls(kWave, kWaveGoldenTriangle, false);
    EXPECT_DOUBLE_EQ(editor.Control(kControlWavePicture).Value(),
                     kWaveGoldenTriangle / static_cast<double>(kNumWaveShapes - 1));
    editor.Editor().Tick();
    int changedInPicture = 0;
    for (int y = 0; y < kEditorHeight; ++y) {
        for (int x = 0; x < kEditorWidth; ++x) {
            if (screen.Row(y)[x] == before[static_cast<size_t>(y) * kEditorWidth + x]) {
                continue;
            }
            const bool inPicture =
                x >= picture.left && x < picture.right && y >= picture.top && y < picture.bottom;
            // The knob's value text ("Golden Triangle") is wider than its box.
            const bool inKnob = y >= knob.top && y < knob.bottom;
            const bool onMarkers = y >= GRAPH::kTop && y < GRAPH::kTop + GRAPH::kHeight;
            EXPECT_TRUE(inPicture || inKnob || onMarkers) << "(" << x << ", " << y << ")";
            changedInPicture += inPicture ? 1 : 0;
        }
    }
    EXPECT_GT(changedInPicture, 100);
}

// At 120 BPM a whole note lasts 2 s; division 9 is "1/4", one beat, 500 ms.
constexpr int kQuarterNote = 9;

TEST(EditorLayout, SyncClickSwapsTheRateKnobsAndKeepsTheSpeed)
{
    HeadlessRig editor;
    TestToneloom& fx = editor.Fx();
    editor.rig.Set(kLfo1RateDiv, kQuarterNote);
    editor.rig.Render(512); // a tempo and a first block
    const IBox sync = editor.Control(kControlLfo1Sync).Box();

    editor.Click(sync.left + 10, sync.top + 10);
    EXPECT_EQ(fx.ParamAt(kLfo1Sync)->Value(), 0.0);
    EXPECT_TRUE(editor.Control(kControlLfo1RateDivision).IsHidden());
    EXPECT_FALSE(editor.Control(kControlLfo1RateMs).IsHidden());
    EXPECT_NEAR(fx.ParamAt(kLfo1RateMs)->Value(), 500.0, 0.5);
    // The millisecond knob shows the converted speed and is the one now hit.
    EXPECT_NEAR(editor.Control(kControlLfo1RateMs).Value(),
                fx.ParamAt(kLfo1RateMs)->CurrentNormalised(), 1e-12);
    EXPECT_EQ(editor.Editor().FindControlAt(201, 363), kControlLfo1RateMs);
    // LFO 2 is untouched.
    EXPECT_FALSE(editor.Control(kControlLfo2RateDivision).IsHidden());

    // A second click returns to divisions at the same speed.
    editor.Click(sync.left + 10, sync.top + 10);
    EXPECT_EQ(fx.ParamAt(kLfo1Sync)->Value(), 1.0);
    EXPECT_FALSE(editor.Control(kControlLfo1RateDivision).IsHidden());
    EXPECT_TRUE(editor.Control(kControlLfo1RateMs).IsHidden());
    EXPECT_EQ(fx.ParamAt(kLfo1RateDiv)->Value(), kQuarterNote);
}

TEST(EditorLayout, AutomatedSyncSwapsTheKnobsWithoutConverting)
{
    HeadlessRig editor;
    TestToneloom& fx = editor.Fx();
    editor.rig.Set(kLfo2RateDiv, kQuarterNote);
    editor.rig.Render(512);
    const double msBefore = fx.ParamAt(kLfo2RateMs)->Value();
    editor.rig.Set(kLfo2Sync, 0);
    EXPECT_TRUE(editor.Control(kControlLfo2RateDivision).IsHidden());
    EXPECT_FALSE(editor.Control(kControlLfo2RateMs).IsHidden());
    EXPECT_EQ(fx.ParamAt(kLfo2RateMs)->Value(), msBefore);
}

TEST(EditorLayout, RightClickOnWaveListsTheSevenShapes)
{
    HeadlessRig editor;
    editor.Show();
    editor.Click(410, 120, /*right*/ true);
    auto* popup = dynamic_cast<PromptPopup*>(editor.Editor().OpenPopup());
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(popup->ItemCount(), kNumWaveShapes);
    const IParamRecord* wave = editor.Fx().ParamAt(kWave);
    for (int i = 0; i < kNumWaveShapes; ++i) {
        EXPECT_STREQ(popup->ItemText(i), wave->ValueTextFor(i)) << i;
    }
    EXPECT_EQ(popup->Selected(), static_cast<int>(wave->Value()));
    // Inside the editor.
    const IBox& box = popup->Box();
    EXPECT_GE(box.left, 0);
    EXPECT_LE(box.right, kEditorWidth);
    EXPECT_LE(box.bottom, kEditorHeight);
}

TEST(EditorLayout, SecondLfoOnTheFirstOnesTargetShowsTheConflictMark)
{
    HeadlessRig editor;
    editor.rig.Set(kLfo1Target, kTargetBinauralPan);
    editor.rig.Set(kLfo2Target, kTargetBinauralPan);
    editor.Show();
    const IBox marker = editor.Control(kControlLfo2Marker).Box();
    // A red bar at the left end of LFO 2's track.
    const PX_Pixel conflict = editor.ScreenAt(marker.left + 2, marker.top);
    EXPECT_GT(PX_Red(conflict), 150u);
    EXPECT_LT(PX_Green(conflict), 100u);
    EXPECT_LT(PX_Blue(conflict), 100u);
    // LFO 1 drives the pan: its marker is drawn in light, not red.
    const IBox first = editor.Control(kControlLfo1Marker).Box();
    bool lit = false;
    for (int x = first.left; x < first.right; ++x) {
        const PX_Pixel p = editor.ScreenAt(x, first.top);
        lit = lit || (PX_Green(p) > 150 && PX_Red(p) > 150);
    }
    EXPECT_TRUE(lit);

    // LFO 1 moves to another target: the mark goes.
    editor.rig.Set(kLfo1Target, kTargetVolume);
    editor.Editor().Tick();
    const PX_Pixel after = editor.ScreenAt(marker.left + 2, marker.top);
    EXPECT_FALSE(PX_Red(after) > 150 && PX_Green(after) < 100);
}

// The x of the lit marker on the first row of `box`, or -1.
int MarkerX(HeadlessRig& editor, const IBox& box)
{
    for (int x = box.left; x < box.right; ++x) {
        const PX_Pixel p = editor.ScreenAt(x, box.top);
        if (PX_Red(p) > 150 && PX_Green(p) > 150 && PX_Blue(p) > 150) {
            return x;
        }
    }
    return -1;
}

TEST(EditorLayout, LfoMarkerTravelsWithTheLfo)
{
    HeadlessRig editor;
    editor.rig.Set(kLfo1Target, kTargetBinauralPan);
    editor.rig.Set(kLfo1Depth, 100);
    editor.rig.Set(kLfo1Sync, 0);
    editor.rig.Set(kLfo1RateMs, 1000);
    editor.rig.Set(kPlayAnyway, 1);
    editor.Show();
    const IBox track = editor.Control(kControlLfo1Marker).Box();
    int lowest = track.right;
    int highest = -1;
    for (int step = 0; step < 20; ++step) {
        editor.rig.Render(2400); // 50 ms
        editor.Editor().Tick();
        const int x = MarkerX(editor, track);
        ASSERT_GE(x, track.left) << "step " << step;
        lowest = std::min(lowest, x);
        highest = std::max(highest, x);
    }
    // A full-depth pan swing covers (nearly) the whole track in one second.
    EXPECT_LE(lowest, track.left + 10);
    EXPECT_GE(highest, track.left + GRAPH::kTravel - 10);
}

// The user's config folder pointed at a fresh temporary one for a test, and
// taken away again with what the test wrote into it.
class ScratchConfigFolder
{
public:
    ScratchConfigFolder()
    {
        const char* previous = std::getenv(kVariable);
        hadPrevious = previous != nullptr;
        previousValue = hadPrevious ? previous : "";
        const char* temp = std::getenv("TMPDIR");
#ifdef _WIN32
        temp = std::getenv("TEMP");
        folder = std::string(temp != nullptr ? temp : ".") + "\\toneloom-config-" +
                 std::to_string(_getpid());
        _mkdir(folder.c_str());
        _putenv_s(kVariable, folder.c_str());
        file = folder + "\\Toneloom\\editor.conf";
#else
        folder = std::string(temp != nullptr ? temp : "/tmp") + "/toneloom-config-" +
                 std::to_string(getpid());
        mkdir(folder.c_str(), 0700);
        setenv(kVariable, folder.c_str(), 1);
        file = folder + "/toneloom/editor.conf";
#endif
    }
    ~ScratchConfigFolder()
    {
        std::remove(file.c_str());
        const std::string inner = file.substr(0, file.find_last_of("\\/"));
        rmdir(inner.c_str());
        rmdir(folder.c_str());
#ifdef _WIN32
        _putenv_s(kVariable, previousValue.c_str());
#else
        if (hadPrevious) {
            setenv(kVariable, previousValue.c_str(), 1);
        } else {
            unsetenv(kVariable);
        }
#endif
    }
    ScratchConfigFolder(const ScratchConfigFolder&) = delete;
    ScratchConfigFolder& operator=(const ScratchConfigFolder&) = delete;

    std::string file; // editor.conf in it

private:
#ifdef _WIN32
    static constexpr const char* kVariable = "APPDATA";
#else
    static constexpr const char* kVariable = "XDG_CONFIG_HOME";
#endif
    std::string folder;
    bool hadPrevious = false;
    std::string previousValue;
};

TEST(EditorLayout, PanelMenuSizesTheEditorAndRemembersTheChoice)
{
    ScratchConfigFolder config;
    const std::string& file = config.file;

    HeadlessRig editor;
    editor.Show();
    // A right click on the empty panel, between the small knobs and LFO 1.
    editor.Click(20, 265, true);
    auto* menu = dynamic_cast<PromptPopup*>(editor.Editor().OpenPopup());
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->ItemCount(), 4);
    EXPECT_STREQ(menu->ItemText(0), "100 %");
    EXPECT_STREQ(menu->ItemText(2), "150 %");
    EXPECT_EQ(menu->Selected(), 0);
    const IBox list = menu->Box();
    editor.Click(list.left + 10, list.top + 2 * menu->RowHeight() + menu->RowHeight() / 2);
    editor.Editor().Tick();
    EXPECT_FLOAT_EQ(editor.Editor().Scale(), 1.5f);
    EXPECT_EQ(editor.Editor().Screen().Width(), 705);
    EXPECT_EQ(editor.Editor().OpenPopup(), nullptr);
    std::ifstream written(file);
    std::string line;
    std::getline(written, line);
    EXPECT_EQ(line, "size=150");

    // A later editor opens at the remembered size, unless the host names one.
    {
        HeadlessRig later;
        EXPECT_TRUE(later.Editor().ApplyDefaultScale(nullptr));
        EXPECT_FLOAT_EQ(later.Editor().Scale(), 1.5f);
        HeadlessRig hostScaled;
        hostScaled.Editor().SetScale(2.0f);
        hostScaled.Editor().NoteHostScale();
        EXPECT_FALSE(hostScaled.Editor().ApplyDefaultScale(nullptr));
        EXPECT_FLOAT_EQ(hostScaled.Editor().Scale(), 2.0f);
    }
    // A damaged file is ignored: the editor keeps scale 1.
    for (const char* damaged : {"size=15O\n", "size=175\n", "size=150\nsize=200\n", "\xff\xfe"}) {
        std::ofstream(file, std::ios::binary | std::ios::trunc) << damaged;
        ASSERT_EQ(EditorSizeSetting::Load(), 0) << damaged;
        HeadlessRig fresh;
        EXPECT_FALSE(fresh.Editor().ApplyDefaultScale(nullptr)) << damaged;
        EXPECT_FLOAT_EQ(fresh.Editor().Scale(), 1.0f);
    }
}

// At screen scale f the editor keeps its 470 x 455 layout and draws it on a
// round(470 f) x round(455 f) surface; mouse positions arrive in surface
// pixels.
class EditorAtScale : public ::testing::TestWithParam<float>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(editor.Editor().SetScale(GetParam()));
        editor.Show();
    }

    float Scale() const { return GetParam(); }
    // The surface pixel under the centre of a layout pixel.
    int OnSurface(int layoutPx) const
    {
        return static_cast<int>(std::floor((layoutPx + 0.5f) * Scale()));
    }
    int Edge(int layoutPx) const { return static_cast<int>(std::lround(layoutPx * Scale())); }

    // Columns and rows of the screen box (surface pixels) holding text ink:
    // light pixels on the dark panel.
    test::Ink TextInk(const IBox& surfaceBox)
    {
        return test::InkWhere(editor.Editor().Screen(), surfaceBox.left, surfaceBox.top,
                              surfaceBox.right, surfaceBox.bottom, [](PX_Pixel p) {
                                  return ((p >> 16) & 0xFF) > kInkLevel && (p & 0xFF) > kInkLevel;
                              });
    }

    static constexpr int kInkLevel = 140; // red and blue above this: white text
    HeadlessRig editor;
};

TEST_P(EditorAtScale, SurfaceIsTheLayoutTimesTheScale)
{
    IGraphicsHeadless& graphics = editor.Editor();
    EXPECT_EQ(graphics.Width(), 470);
    EXPECT_EQ(graphics.Height(), 455);
    EXPECT_EQ(graphics.Screen().Width(), Edge(470));
    EXPECT_EQ(graphics.Screen().Height(), Edge(455));
    // The layout itself does not move.
    EXPECT_EQ(editor.Control(kControlLfo2Depth).Box(), (IBox{353, 343, 393, 403}));
}

TEST_P(EditorAtScale, PressesFindTheControlUnderTheMappedPoint)
{
    IGraphicsHeadless& graphics = editor.Editor();
    // The target last: its press opens a list over the knobs below it.
    for (const int index : {kControlBaseFreq, kControlPlayAnyway, kControlLfo2Depth,
                            kControlLfosSync, kControlLfo2Target}) {
        const IBox box = editor.Control(index).Box();
        SCOPED_TRACE("control " + std::to_string(index));
        const int cx = (box.left + box.right) / 2;
        const int cy = (box.top + box.bottom) / 2;
        // Inside: the first and last surface pixel of the box and its centre.
        const int xs[] = {Edge(box.left), OnSurface(cx), Edge(box.right) - 1};
        for (const int x : xs) {
            graphics.MouseDown(x, OnSurface(cy), IMouseKeys());
            EXPECT_EQ(graphics.CapturedIndex(), index) << "surface x " << x;
            graphics.MouseUp(x, OnSurface(cy), IMouseKeys());
        }
    }
    // Between the Depth knob (..393) and the Rate knob (405..) neither is hit.
    graphics.MouseDown(OnSurface(399), OnSurface(380), IMouseKeys());
    EXPECT_NE(graphics.CapturedIndex(), kControlLfo2Depth);
    EXPECT_NE(graphics.CapturedIndex(), kControlLfo2RateDivision);
    graphics.MouseUp(OnSurface(399), OnSurface(380), IMouseKeys());
}

TEST_P(EditorAtScale, DragDistancesAreLayoutPixels)
{
    IGraphicsHeadless& graphics = editor.Editor();
    const IBox box = editor.Control(kControlBaseFreq).Box();
    const double before = editor.Control(kControlBaseFreq).Value();
    IMouseKeys keys;
    keys.left = true;
    const int x = OnSurface(53);
    graphics.MouseDown(x, OnSurface(150), keys);
    // 30 layout pixels up, in surface-pixel steps as a window reports them.
    for (int y = OnSurface(150) - 1; y >= OnSurface(120); --y) {
        graphics.MouseDrag(x, y, keys);
    }
    graphics.MouseUp(x, OnSurface(120), keys);
    const double expected = 30.0 / box.Height() / 4.0; // gearing 4
    EXPECT_NEAR(editor.Control(kControlBaseFreq).Value() - before, expected, 1e-9);
    ASSERT_GE(editor.Fx().edits.size(), 3u);
    EXPECT_EQ(editor.Fx().edits.front().kind, EditEvent::kBegin);
    EXPECT_EQ(editor.Fx().edits.back().kind, EditEvent::kEnd);
}

TEST_P(EditorAtScale, TextIsDrawnAtTheScaledSize)
{
    // The band label's "THETA" (the defaults' 4 Hz beat): Arial's capitals
    // are 0.62 of its 15-pixel cell high at 1x, f times that at scale f.
    const IBox band = editor.Editor().ToSurface(editor.Control(kControlBandLabel).Box());
    const test::Ink ink = TextInk(IBox{band.left, band.top, band.right, band.bottom + Edge(4)});
    ASSERT_FALSE(ink.Empty());
    const double capHeight = 15 * 0.62 * Scale();
    EXPECT_NEAR(ink.bottom - ink.top, capHeight, 1.0 + 0.05 * capHeight);
    const double textWidth = ink.right - ink.left;
    EXPECT_NEAR(textWidth / Scale(), 48.0, 6.0); // "THETA" in 15-pixel Arial
}

TEST_P(EditorAtScale, LongValueTextsNeverTouchTheirNeighbours)
{
    // LFO 2's wave knob box (287..355) overlaps the Start knob's (249..289)
    // and the Depth knob's (353..393) by 2 pixels: with "100%" on both
    // sides, no wave name may put ink where the boxes meet, nor a pixel
    // either side of that.
    editor.rig.Set(kLfo2Depth, 100);
    editor.rig.Set(kLfo2Start, 100);
    struct Meeting
    {
        int left, right; // layout pixels both boxes hold
    };
    const Meeting meetings[] = {{287, 289}, {353, 355}};
    const IParamRecord* wave = editor.Fx().ParamAt(kLfo2Wave);
    for (int v = 0; v < wave->ValueTextCount(); ++v) {
        editor.rig.Set(kLfo2Wave, v);
        editor.Editor().Tick();
        SCOPED_TRACE(wave->ValueTextFor(v));
        for (const Meeting& meeting : meetings) {
            const test::Ink ink = TextInk(
                IBox{Edge(meeting.left - 1), Edge(403 - 15), Edge(meeting.right + 1), Edge(403)});
            EXPECT_TRUE(ink.Empty()) << "ink at surface x " << ink.left << " where the boxes "
                                     << meeting.left << ".." << meeting.right << " meet";
        }
    }
}

std::string ScaleName(const ::testing::TestParamInfo<float>& info)
{
    std::string name = "x" + std::to_string(static_cast<int>(std::lround(info.param * 100)));
    return name;
}

INSTANTIATE_TEST_SUITE_P(Scales, EditorAtScale, ::testing::Values(1.0f, 1.25f, 1.5f, 2.0f, 3.0f),
                         ScaleName);

} // namespace
} // namespace toneloom::testing
