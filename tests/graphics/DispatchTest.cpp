// The editor's mouse, wheel and key dispatch driven the way a user drives it,
// and the edit gestures it sends to the plug-in base.
#include "GraphicsTestSupport.h"

#include <gtest/gtest.h>

namespace toneloom::testing {
namespace {

using Events = std::vector<std::string>;

const IMouseKeys kLeft{true, false, false, false, false};
const IMouseKeys kRight{false, true, false, false, false};
const IMouseKeys kNoKeys{};

class DispatchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        graphics = new TestGraphics(&effect, 200, 160);
        level = Add(IBox{10, 10, 30, 30}, kProbeLevel);
        shape = Add(IBox{40, 10, 60, 30}, kProbeShape);
        count = Add(IBox{70, 10, 90, 30}, kProbeCount);
        free = Add(IBox{0, 130, 200, 160}, -1);
        effect.AttachEditor(graphics); // owns it from here
        graphics->SetHoverEnabled(true);
        graphics->OpenWindow(nullptr);
        effect.Take();
    }

    ProbeControl* Add(const IBox& box, int paramIndex)
    {
        auto* control = new ProbeControl(&effect, box, paramIndex);
        graphics->AddControl(control);
        return control;
    }

    // Ticks until the plug-in hears an edit end; the number of ticks, or -1.
    int TicksUntilEnd(int limit = 100)
    {
        for (int tick = 1; tick <= limit; ++tick) {
            graphics->Tick();
            for (const std::string& event : effect.events) {
                if (event.rfind("end", 0) == 0) {
                    return tick;
                }
            }
        }
        return -1;
    }

    RecordingEffect effect;
    TestGraphics* graphics = nullptr;
    ProbeControl* level = nullptr;
    ProbeControl* shape = nullptr;
    ProbeControl* count = nullptr;
    ProbeControl* free = nullptr;
};

TEST_F(DispatchTest, PressedControlKeepsTheMouseUntilReleasedOutsideTheWindow)
{
    // A press whose release was lost is ended by the next press.
    graphics->MouseDown(50, 20, kLeft);
    EXPECT_EQ(effect.Take(), Events({"begin 1"}));
    graphics->MouseDown(20, 20, kLeft);
    EXPECT_EQ(shape->Take(), Events({"press 50,20", "release 50,20"}));
    EXPECT_EQ(graphics->CapturedIndex(), 0);
    EXPECT_EQ(effect.Take(), Events({"end 1", "begin 0"}));

    // Per-event deltas; a drag to the same place delivers nothing; outside
    // the window and over other controls the pressed one still gets them.
    graphics->MouseDrag(20, 15, kLeft);
    graphics->MouseDrag(20, 15, kLeft);
    graphics->MouseDrag(45, 5, kLeft);
    graphics->MouseDrag(500, -40, kLeft);
    graphics->MouseUp(500, -40, kNoKeys);
    EXPECT_EQ(level->Take(), Events({"press 20,20", "drag 0,-5", "drag 25,-10", "drag 455,-45",
                                     "release 500,-40"}));
    EXPECT_TRUE(shape->Take().empty());
    Events events = effect.Take();
    EXPECT_EQ(events,
              Events({"value 0 0.450000", "value 0 0.350000", "value 0 0.000000", "end 0"}));
    EXPECT_EQ(graphics->CapturedIndex(), -1);

    // Nothing captured: drags go nowhere; a press on no control only clears.
    graphics->MouseDrag(25, 25, kLeft);
    graphics->MouseDown(95, 40, kLeft);
    graphics->MouseUp(95, 40, kNoKeys);
    EXPECT_TRUE(level->Take().empty());
    EXPECT_TRUE(effect.Take().empty());
}

TEST_F(DispatchTest, DoubleClickRestoresTheDefaultOrActsAsPress)
{
    // The first host value (from AttachEditor) is the default: "Level" 5 of 0..10.
    graphics->MouseDown(20, 20, kLeft);
    graphics->MouseDrag(20, 0, kLeft);
    graphics->MouseUp(20, 0, kNoKeys);
    EXPECT_NEAR(level->Value(), 0.3, 1e-9);
    effect.Take();
    level->Take();

    EXPECT_FALSE(graphics->MouseDoubleClick(20, 20, kLeft));
    EXPECT_EQ(graphics->CapturedIndex(), -1);
    EXPECT_DOUBLE_EQ(level->Value(), 0.5);
    EXPECT_EQ(effect.Take(), Events({"begin 0", "value 0 0.500000"}));
    graphics->MouseUp(20, 20, kNoKeys); // ends the gesture the double click began
    EXPECT_EQ(level->Take(), Events({"double", "release 20,20"}));
    EXPECT_EQ(effect.Take(), Events({"end 0"}));

    shape->SetDoubleClickAsPress(true);
    EXPECT_TRUE(graphics->MouseDoubleClick(50, 20, kLeft));
    EXPECT_EQ(graphics->CapturedIndex(), 1);
    graphics->MouseDrag(50, 18, kLeft);
    graphics->MouseUp(200, 200, kNoKeys);
    EXPECT_EQ(shape->Take(), Events({"press 50,20", "drag 0,-2", "release 200,200"}));
    const Events events = effect.Take();
    EXPECT_EQ(events.front(), "begin 1");
    EXPECT_EQ(events.back(), "end 1");

    EXPECT_FALSE(graphics->MouseDoubleClick(95, 40, kLeft));
    EXPECT_TRUE(effect.Take().empty());
}

TEST_F(DispatchTest, WheelBurstIsOneEditEndingTwelveTicksAfterTheLastStep)
{
    EXPECT_EQ(graphics->FrameRate(), 24);
    graphics->MouseWheel(20, 20, kNoKeys, 1);
    graphics->Tick();
    graphics->Tick();
    graphics->MouseWheel(20, 20, kNoKeys, 1);
    for (int i = 0; i < 11; ++i) {
        graphics->Tick();
    }
    graphics->MouseWheel(20, 20, kNoKeys, 1);
    EXPECT_EQ(TicksUntilEnd(), 12);
    EXPECT_EQ(effect.Take(), Events({"begin 0", "value 0 0.510000", "value 0 0.520000",
                                     "value 0 0.530000", "end 0"}));
    EXPECT_EQ(effect.PendingEditEnd(), -1);
    EXPECT_EQ(TicksUntilEnd(30), -1); // nothing more

    // Fine steps with Ctrl or Shift; a list parameter moves half an entry.
    const IMouseKeys ctrl{false, false, false, true, false};
    graphics->MouseWheel(20, 20, ctrl, 1);
    EXPECT_NEAR(level->Value(), 0.531, 1e-6);
    graphics->MouseWheel(50, 20, kNoKeys, 2);
    EXPECT_NEAR(shape->Value(), 1.0 / 7.0, 1e-6);
    // Moving to another parameter ended the first edit before the second began.
    const Events events = effect.Take();
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[2], "end 0");
    EXPECT_EQ(events[3], "begin 1");
    EXPECT_EQ(TicksUntilEnd(), 12);
    EXPECT_EQ(effect.Take(), Events({"end 1"}));

    // Wheel over a control without a parameter: no edit at all.
    graphics->MouseWheel(50, 140, kNoKeys, 3);
    EXPECT_EQ(free->Take(), Events({"wheel 3"}));
    EXPECT_TRUE(effect.Take().empty());
}

TEST_F(DispatchTest, ClosingTheWindowEndsOpenEditsAtOnce)
{
    graphics->MouseWheel(20, 20, kNoKeys, -1);
    graphics->Tick();
    EXPECT_GT(graphics->GestureCountdown(), 0);
    graphics->MouseDown(50, 20, kLeft);
    graphics->CloseWindow();
    const Events events = effect.Take();
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0], "begin 0");
    EXPECT_EQ(events[2], "begin 1");
    EXPECT_EQ(events[3], "end 0");
    EXPECT_EQ(events[4], "end 1");
    EXPECT_EQ(graphics->GestureCountdown(), 0);
    EXPECT_FALSE(graphics->Tick());
    EXPECT_EQ(shape->Take(), Events({"press 50,20", "release 50,20"}));

    // Re-opened, the controls keep their values and the first tick repaints.
    const double value = level->Value();
    EXPECT_NE(graphics->OpenWindow(nullptr), nullptr);
    EXPECT_DOUBLE_EQ(level->Value(), value);
    graphics->MouseUp(50, 20, kNoKeys);
    EXPECT_TRUE(effect.Take().empty()); // the gesture was already ended
}

TEST_F(DispatchTest, PressOutsideTheOpenPopupClosesItFirst)
{
    // A pop-up opened by `level`, with a child of its own, and a control
    // added after it (its index shifts when the pop-up goes).
    auto* popup = new ProbeControl(&effect, IBox{10, 35, 60, 48});
    popup->forwardPress = false; // keeps the pop-up registered
    popup->SetOwner(level);
    graphics->AddControl(popup);
    graphics->SetOpenPopup(popup);
    auto* child = new ProbeControl(&effect, IBox{62, 35, 70, 48});
    child->forwardPress = false;
    child->SetOwner(popup);
    graphics->AddControl(child);
    auto* late = new ProbeControl(&effect, IBox{80, 35, 95, 48});
    graphics->AddControl(late);
    const int controls = graphics->ControlCount();

    graphics->MouseDown(65, 40, kLeft); // the child: the pop-up stays
    graphics->MouseUp(65, 40, kNoKeys);
    graphics->MouseDown(20, 40, kLeft); // the pop-up itself
    graphics->MouseUp(20, 40, kNoKeys);
    EXPECT_EQ(graphics->OpenPopup(), popup);
    EXPECT_EQ(graphics->ControlCount(), controls);

    graphics->Tick();
    graphics->Tick();
    EXPECT_FALSE(graphics->ControlAt(0)->IsDirty());
    graphics->MouseDown(85, 40, kLeft);
    EXPECT_EQ(graphics->OpenPopup(), nullptr);
    EXPECT_EQ(graphics->ControlCount(), controls - 1);
    EXPECT_EQ(level->Take(), Events({"popup closed '' -1"}));
    EXPECT_TRUE(graphics->ControlAt(0)->IsDirty()); // the whole editor repaints
    EXPECT_EQ(graphics->ControlAt(graphics->CapturedIndex()), late);
    graphics->MouseDrag(86, 41, kLeft);
    graphics->MouseUp(86, 41, kNoKeys);
    EXPECT_EQ(late->Take(), Events({"press 85,40", "drag 1,1", "release 86,41"}));
}

TEST_F(DispatchTest, RightPressOpensTheValueListOrTheValueEntry)
{
    // "Shape" has value texts: the list pop-up; a press elsewhere dismisses it.
    graphics->MouseDown(50, 20, kRight);
    graphics->MouseUp(50, 20, kRight);
    ASSERT_NE(graphics->OpenPopup(), nullptr);
    EXPECT_EQ(graphics->OpenPopup()->Owner(), shape);
    graphics->MouseDown(50, 140, kLeft);
    graphics->MouseUp(50, 140, kLeft);
    EXPECT_EQ(graphics->OpenPopup(), nullptr);
    EXPECT_EQ(graphics->ControlCount(), 4);
    EXPECT_EQ(shape->Take(), Events({"press 50,20", "release 50,20", "popup closed '' -1"}));
    effect.Take();

    // "Count" is a number: the platform's value entry, applied on the next tick.
    graphics->MouseDown(80, 20, kRight);
    graphics->MouseUp(80, 20, kRight);
    ASSERT_TRUE(graphics->ValueEntryOpen());
    EXPECT_EQ(graphics->ValueEntryControl(), count);
    EXPECT_STREQ(graphics->ValueEntryText(), "50");
    graphics->MouseDown(80, 20, kRight); // a second request is ignored
    graphics->MouseUp(80, 20, kRight);
    EXPECT_EQ(graphics->ValueEntryRequests(), 1);
    effect.Take();
    graphics->TypeValueEntry(" 75 ");
    graphics->CommitValueEntry();
    graphics->Tick();
    EXPECT_FALSE(graphics->ValueEntryOpen());
    EXPECT_DOUBLE_EQ(effect.ParamAt(kProbeCount)->Value(), 75.0);
    EXPECT_EQ(effect.Take(), Events({"begin 2", "value 2 0.750000", "end 2", "begin 2",
                                     "value 2 0.750000", "end 2"}));

    // Unreadable text changes nothing; a cancelled entry applies nothing.
    graphics->MouseDown(80, 20, kRight);
    graphics->MouseUp(80, 20, kRight);
    graphics->TypeValueEntry("lots");
    graphics->CommitValueEntry();
    graphics->Tick();
    EXPECT_DOUBLE_EQ(effect.ParamAt(kProbeCount)->Value(), 75.0);
    graphics->MouseDown(80, 20, kRight);
    graphics->MouseUp(80, 20, kRight);
    graphics->TypeValueEntry("3");
    graphics->CancelValueEntry();
    graphics->Tick();
    EXPECT_DOUBLE_EQ(effect.ParamAt(kProbeCount)->Value(), 75.0);

    // A value text in any letter case sets its entry.
    graphics->ApplyEditedText(shape, effect.ParamAt(kProbeShape), "saw");
    EXPECT_DOUBLE_EQ(effect.ParamAt(kProbeShape)->Value(), 2.0);
    shape->SetPromptDisabled(true);
    graphics->MouseDown(50, 20, kRight);
    graphics->MouseUp(50, 20, kRight);
    EXPECT_EQ(graphics->OpenPopup(), nullptr);
}

// Typed numbers go by the rules hosts' typed values follow: a point or a
// decimal comma, the parameter's unit or nothing after the number.
TEST_F(DispatchTest, TypedNumbersTakeADecimalCommaAndOnlyTheParametersUnit)
{
    IParamRecord* param = effect.ParamAt(kProbeLevel); // 0..10 "dB"
    const struct
    {
        const char* text;
        double value; // the value afterwards
    } cases[] = {{"7,5", 7.5}, {"2.5 dB", 2.5}, {" +3dB ", 3.0}, {"4 db", 4.0},
                 {"1e0", 1.0}, {"6 Hz", 1.0},   {"1,500", 1.0},  {"0.5k", 1.0},
                 {"4 5", 1.0}, {"1,2,3", 1.0},  {"-", 1.0},      {"", 1.0}};
    for (const auto& typed : cases) {
        graphics->ApplyEditedText(level, param, typed.text);
        EXPECT_DOUBLE_EQ(param->Value(), typed.value) << '"' << typed.text << '"';
    }
}

TEST_F(DispatchTest, HoverLeaveKeysAndWhatIsHit)
{
    EXPECT_TRUE(graphics->MouseHover(20, 20, kNoKeys));
    EXPECT_EQ(graphics->HoveredIndex(), 0);
    EXPECT_TRUE(graphics->MouseHover(50, 20, kNoKeys));
    EXPECT_TRUE(graphics->MouseHover(95, 40, kNoKeys)); // no control: nobody is told
    EXPECT_EQ(level->Take(), Events({"hover", "hover end"}));
    EXPECT_EQ(shape->Take(), Events({"hover"}));
    graphics->MouseLeft();
    EXPECT_EQ(shape->Take(), Events({"hover end"}));
    EXPECT_EQ(level->Take(), Events({"hover end"}));
    EXPECT_EQ(graphics->HoveredIndex(), -1);
    graphics->SetHoverEnabled(false);
    EXPECT_FALSE(graphics->MouseHover(20, 20, kNoKeys));
    EXPECT_TRUE(level->Take().empty());

    graphics->KeyDown(20, 20, kKeySpace);
    graphics->KeyDown(95, 40, kKeyUp);
    EXPECT_EQ(level->Take(), Events({"key 0"}));

    // Right and bottom edges are inside; hidden and dimmed controls are not hit.
    EXPECT_EQ(graphics->FindControlAt(30, 30), 0);
    EXPECT_EQ(graphics->FindControlAt(31, 30), -1);
    level->SetHidden(true);
    EXPECT_EQ(graphics->FindControlAt(20, 20), -1);
    level->SetHidden(false);
    level->SetDimmed(true);
    EXPECT_FLOAT_EQ(level->Blend().weight, 0.25f);
    EXPECT_EQ(graphics->FindControlAt(20, 20), -1);
    // Later controls are hit first.
    auto* over = Add(IBox{15, 15, 25, 25}, -1);
    level->SetDimmed(false);
    EXPECT_EQ(graphics->ControlAt(graphics->FindControlAt(20, 20)), over);
}

TEST_F(DispatchTest, AttachedEditorFollowsThePlugIn)
{
    // Attaching gave every control its parameter's value, which became its
    // default; later values (a preset, a state) move the value only.
    EXPECT_DOUBLE_EQ(count->DefaultValue(), 0.5);
    effect.ParamAt(kProbeLevel)->SetPlain(7.5);
    effect.ParamAt(kProbeCount)->SetPlain(20.0);
    effect.RefreshParamControls();
    EXPECT_DOUBLE_EQ(level->Value(), 0.75);
    EXPECT_DOUBLE_EQ(count->Value(), 0.2);
    EXPECT_DOUBLE_EQ(count->DefaultValue(), 0.5);
    EXPECT_TRUE(effect.Take().empty()); // nothing goes back to the host
}

} // namespace
} // namespace toneloom::testing
