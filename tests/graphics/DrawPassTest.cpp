// Dirty collection, the draw pass, the picture and font caches and the
// drawing primitives, checked on the surface's and the screen's pixels.
#include "FontCache.h"
#include "GraphicsTestSupport.h"
#include "IBitmapControl.h"
#include "ImageCache.h"
#include "PX_SysBitmap.h"

#include <gtest/gtest.h>

#include <utility>

namespace toneloom::testing {
namespace {

const PX_Pixel kBlack = PX_MakePixel(255, 0, 0, 0);
const PX_Pixel kWhite = PX_MakePixel(255, 255, 255, 255);

class DrawPassTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        graphics.CreateSurface();
        EXPECT_EQ(graphics.Surface()->Pixels(), nullptr); // until the first pass
        graphics.EnsureSurfacePixels();
        graphics.OpenWindow(nullptr);
    }

    ProbeControl* Add(const IBox& box, IRgba colour = IRgba(255, 200, 40, 40))
    {
        auto* control = new ProbeControl(&effect, box, -1, colour);
        graphics.AddControl(control);
        return control;
    }

    RecordingEffect effect;
    TestGraphics graphics{&effect, 100, 80};
};

TEST_F(DrawPassTest, EmptyEditorDrawsAndPresentsNothing)
{
    IBox area;
    EXPECT_FALSE(graphics.CollectDirtyArea(&area));
    EXPECT_TRUE(graphics.DrawArea(IBox{0, 0, 100, 80}));
    EXPECT_EQ(graphics.PresentCount(), 0);
    EXPECT_FALSE(graphics.Tick());
}

TEST_F(DrawPassTest, DirtyUnionHiddenAndZeroBoxes)
{
    ProbeControl* a = Add(IBox{10, 10, 20, 20});
    ProbeControl* b = Add(IBox{50, 40, 60, 70});
    ProbeControl* zero = Add(IBox{});
    ProbeControl* thin = Add(IBox{5, 5, 5, 30}); // zero width: in the union, never overlapping

    IBox area;
    ASSERT_TRUE(graphics.CollectDirtyArea(&area));
    EXPECT_EQ(area, (IBox{5, 5, 60, 70}));
    EXPECT_TRUE(graphics.Tick());
    EXPECT_EQ(graphics.LastPresented(), (IBox{5, 5, 60, 70}));
    EXPECT_EQ(a->renders, 1);
    EXPECT_EQ(thin->renders, 0);
    EXPECT_FALSE(thin->IsDirty());
    EXPECT_EQ(zero->renders, 0); // never drawn, but cleaned
    EXPECT_FALSE(zero->IsDirty());
    EXPECT_FALSE(graphics.Tick());

    // A hidden control still adds its box; the pass repaints under it
    // without drawing it, and it stays dirty for exactly one more pass.
    b->SetHidden(true);
    area = IBox{};
    ASSERT_TRUE(graphics.CollectDirtyArea(&area));
    EXPECT_EQ(area, b->Box());
    graphics.Tick();
    graphics.Tick();
    EXPECT_EQ(b->renders, 1);
    EXPECT_EQ(a->renders, 1); // outside the update box
    EXPECT_FALSE(b->IsDirty());
    EXPECT_FALSE(graphics.Tick());

    // A dirty control with an empty box reports dirt but no area.
    zero->MarkDirty(false);
    area = IBox{};
    EXPECT_TRUE(graphics.CollectDirtyArea(&area));
    EXPECT_TRUE(area.IsEmpty());
    EXPECT_FALSE(graphics.Tick());
    EXPECT_FALSE(zero->IsDirty());
}

TEST_F(DrawPassTest, LaterControlsDrawOverEarlierOnesInsideTheUpdateBoxOnly)
{
    Add(IBox{0, 0, 100, 80}, IRgba(255, 0, 0, 0));
    Add(IBox{10, 10, 40, 40}, IRgba(255, 255, 0, 0));
    ProbeControl* top = Add(IBox{30, 30, 60, 60}, IRgba(255, 0, 0, 255));
    graphics.Tick();
    EXPECT_EQ(graphics.ScreenPixel(20, 20), PX_MakePixel(255, 255, 0, 0));
    EXPECT_EQ(graphics.ScreenPixel(35, 35), PX_MakePixel(255, 0, 0, 255));
    EXPECT_EQ(graphics.ScreenPixel(70, 70), kBlack);

    // Only what lies under the update box is drawn again and presented.
    top->fill = IRgba(255, 0, 255, 0);
    graphics.DrawArea(IBox{30, 30, 45, 45});
    EXPECT_EQ(graphics.ScreenPixel(44, 44), PX_MakePixel(255, 0, 255, 0));
    EXPECT_EQ(graphics.ScreenPixel(50, 50), PX_MakePixel(255, 0, 0, 255));
    EXPECT_EQ(graphics.LastPresented(), (IBox{30, 30, 45, 45}));
}

TEST_F(DrawPassTest, FramesAreChosenByValueAndClippedToTheDrawBox)
{
    const IImage stripe = graphics.FetchImage(kStripePicture, "stripe", kStripeFrames);
    ASSERT_NE(stripe.bitmap, nullptr);
    EXPECT_EQ(stripe.height, 10 * kStripeFrames);
    auto* control = new IBitmapControl(&effect, 20, 30, -1, stripe, IBlend(), true);
    graphics.AddControl(control);
    EXPECT_EQ(control->Box(), (IBox{20, 30, 30, 40}));

    const struct
    {
        double value;
        int grey;
    } cases[] = {{0.0, 40}, {0.5, 80}, {1.0, 120}, {0.2, 40}};
    for (const auto& c : cases) {
        control->ShowHostValue(c.value);
        graphics.Tick();
        EXPECT_EQ(graphics.ScreenPixel(20, 30), Grey(c.grey)) << c.value;
        EXPECT_EQ(graphics.ScreenPixel(29, 39), Grey(c.grey)) << c.value;
    }

    // Frame 3 of 3 over 30 rows starts 20 rows down; frame 1 and single-frame
    // pictures at 0. Only the draw box is touched.
    graphics.DrawArea(IBox{25, 0, 100, 80});
    graphics.BlitImageFrame(stripe, IBox{20, 30, 30, 40}, 3, nullptr, true);
    graphics.BlitImageFrame(stripe, IBox{40, 30, 50, 40}, 1, nullptr, true);
    IImage single = stripe;
    single.frames = 1;
    graphics.BlitImageFrame(single, IBox{60, 30, 70, 40}, 3, nullptr, true);
    EXPECT_EQ(graphics.SurfacePixel(26, 35), Grey(120));
    EXPECT_EQ(graphics.SurfacePixel(45, 35), Grey(40));
    EXPECT_EQ(graphics.SurfacePixel(65, 35), Grey(40));
    graphics.DrawArea(IBox{0, 0, 10, 10});
    graphics.BlitImageFrame(stripe, IBox{20, 30, 30, 40}, 1, nullptr, true);
    EXPECT_EQ(graphics.SurfacePixel(26, 35), Grey(120)); // outside the draw box
}

TEST_F(DrawPassTest, RoundBoxCornerModes)
{
    const IRgba white(255, 255, 255, 255);
    const IBox box{10, 10, 30, 30};
    struct Expect
    {
        int mode;
        bool topLeft, bottomRight, topEdge, bottomEdge;
    };
    const Expect cases[] = {
        {kCornersAll, false, false, true, true},
        {kCornersTop, false, true, true, true},
        {kCornersBottom, true, false, true, true},
        {3, true, true, false, false}, // any other mode: nothing at all
    };
    for (const Expect& c : cases) {
        graphics.FillBox(IRgba(255, 0, 0, 0), IBox{0, 0, 100, 80});
        graphics.FillRoundBox(white, box, 4, c.mode);
        const bool drewNothing = c.topEdge == false;
        EXPECT_EQ(graphics.SurfacePixel(10, 10) == kWhite, c.topLeft && !drewNothing) << c.mode;
        EXPECT_EQ(graphics.SurfacePixel(29, 29) == kWhite, c.bottomRight && !drewNothing) << c.mode;
        EXPECT_EQ(graphics.SurfacePixel(20, 10) == kWhite, c.topEdge) << c.mode;
        EXPECT_EQ(graphics.SurfacePixel(20, 29) == kWhite, c.bottomEdge) << c.mode;
        EXPECT_EQ(graphics.SurfacePixel(20, 20) == kWhite, !drewNothing) << c.mode;
        EXPECT_EQ(graphics.SurfacePixel(30, 20), kBlack) << c.mode; // right is exclusive
    }

    // A see-through colour covers corners, bands and body alike, and a
    // line in it is as strong as a fill.
    const IRgba mist(75, 200, 200, 200);
    graphics.FillBox(IRgba(255, 0, 0, 0), IBox{0, 0, 100, 80});
    graphics.FillRoundBox(mist, box, 4, kCornersAll);
    const PX_Pixel body = graphics.SurfacePixel(20, 20);
    EXPECT_NEAR(static_cast<int>(PX_Red(body)), 200 * 75 / 255, 2);
    for (const auto& at : {std::pair{12, 12}, std::pair{20, 11}, std::pair{27, 27}}) {
        EXPECT_NEAR(static_cast<int>(PX_Red(graphics.SurfacePixel(at.first, at.second))),
                    static_cast<int>(PX_Red(body)), 2)
            << at.first << "," << at.second;
    }
    graphics.StrokeLine(mist, 40.0f, 5.0f, 90.0f, 5.0f);
    EXPECT_NEAR(static_cast<int>(PX_Red(graphics.SurfacePixel(60, 5))),
                static_cast<int>(PX_Red(body)), 2);

    // The outline: straight edges on the box's last row and column.
    graphics.FillBox(IRgba(255, 0, 0, 0), IBox{0, 0, 100, 80});
    graphics.StrokeRoundBox(white, box, 4);
    EXPECT_EQ(graphics.SurfacePixel(20, 10), kWhite);
    EXPECT_EQ(graphics.SurfacePixel(29, 20), kWhite);
    EXPECT_EQ(graphics.SurfacePixel(20, 29), kWhite);
    EXPECT_EQ(graphics.SurfacePixel(10, 20), kWhite);
    EXPECT_EQ(graphics.SurfacePixel(20, 20), kBlack);
    EXPECT_EQ(graphics.SurfacePixel(10, 10), kBlack);
}

TEST_F(DrawPassTest, PicturesAreDecodedOncePerModuleAndMissingOnesDrawNothing)
{
    const IImage first = graphics.FetchImage(kPlainPicture, "plain", 2);
    TestGraphics other(&effect, 10, 10);
    const IImage second = other.FetchImage(kPlainPicture, "another name", 1);
    EXPECT_EQ(first.bitmap, second.bitmap);
    EXPECT_EQ(first.frames, 2);
    EXPECT_EQ(second.width, 20);
    EXPECT_EQ(other.loads, 0);
    const IImage found = other.FindImage(kPlainPicture);
    EXPECT_EQ(found.bitmap, first.bitmap);
    EXPECT_EQ(found.frames, 1);

    // A picture that does not decode: an empty image, an empty control at its
    // place, and a black background of the editor's size; the rest draws.
    const IImage missing = graphics.FetchImage(kMissingPicture, "missing", 3);
    EXPECT_EQ(missing.bitmap, nullptr);
    EXPECT_EQ(missing.width, 0);
    EXPECT_EQ(other.FindImage(kMissingPicture).bitmap, nullptr);
    graphics.AddControl(new IBitmapControl(&effect, 5, 5, -1, missing));
    ProbeControl* probe = Add(IBox{40, 40, 50, 50});
    graphics.SetBackgroundImage(kMissingPicture, "missing");
    ASSERT_EQ(graphics.ControlCount(), 3);
    EXPECT_EQ(graphics.ControlAt(0)->Box(), (IBox{0, 0, 100, 80}));
    EXPECT_EQ(graphics.IndexOf(probe), 2);
    graphics.FillBox(IRgba(255, 9, 9, 9), IBox{0, 0, 100, 80});
    graphics.Tick();
    EXPECT_EQ(graphics.ScreenPixel(2, 2), kBlack);
    EXPECT_EQ(graphics.ScreenPixel(45, 45), PX_MakePixel(255, 200, 40, 40));
}

TEST_F(DrawPassTest, BackgroundFromTheEmbeddedPictures)
{
    graphics.SetBackgroundImage(100, "img/bg.png");
    const IBox box = graphics.ControlAt(0)->Box();
    EXPECT_EQ(box, (IBox{0, 0, 470, 455}));
    const IImage background = graphics.FindImage(100);
    ASSERT_NE(background.bitmap, nullptr);
    graphics.Tick();
    EXPECT_EQ(graphics.ScreenPixel(50, 50), background.bitmap->Row(50)[50] | 0xFF000000u);
}

TEST_F(DrawPassTest, StylesDifferingOnlyInQualityShareOneFont)
{
    ITextStyle first("Arial", 17, IRgba(255, 255, 255, 255));
    first.quality = kQualityNonAntiAliased;
    ITextStyle second("Arial", 17, IRgba(100, 255, 0, 0));
    second.quality = kQualityAntiAliased;
    ITextStyle bigger("Arial", 18, IRgba(255, 255, 255, 255));
    const int fonts = FontCache::Module().Count();
    PX_IFont* font = graphics.FontFor(first);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(graphics.FontFor(second), font);
    EXPECT_EQ(second.font, font);
    EXPECT_NE(graphics.FontFor(bigger), font);
    EXPECT_EQ(FontCache::Module().Count(), fonts + 2);

    // Text lands inside its box, from the top; empty text draws nothing.
    graphics.FillBox(IRgba(255, 0, 0, 0), IBox{0, 0, 100, 80});
    EXPECT_TRUE(graphics.DrawTextIn(first, "", IBox{0, 0, 100, 20}));
    EXPECT_TRUE(graphics.DrawTextIn(first, "HH", IBox{20, 40, 80, 60}));
    int lit = 0;
    int litOutside = 0;
    for (int y = 0; y < 80; ++y) {
        for (int x = 0; x < 100; ++x) {
            const bool inside = x >= 20 && x < 80 && y >= 40 && y < 60;
            if (graphics.SurfacePixel(x, y) != kBlack) {
                ++(inside ? lit : litOutside);
            }
        }
    }
    EXPECT_GT(lit, 10);
    EXPECT_EQ(litOutside, 0);
}

TEST_F(DrawPassTest, ValuesFromThePlugInReachTheBoundControls)
{
    auto* a = new ProbeControl(&effect, IBox{0, 0, 10, 10}, kProbeLevel);
    auto* b = new ProbeControl(&effect, IBox{10, 0, 20, 10}, kProbeLevel);
    auto* other = new ProbeControl(&effect, IBox{20, 0, 30, 10}, kProbeCount);
    graphics.AddControl(a);
    graphics.AddControl(b);
    graphics.AddControl(other);
    graphics.PushParamToControls(kProbeLevel, 2.5, false); // plain dB
    EXPECT_DOUBLE_EQ(a->Value(), 0.25);
    EXPECT_DOUBLE_EQ(b->DefaultValue(), 0.25);
    EXPECT_DOUBLE_EQ(other->Value(), 0.0);
    graphics.SetControlValueAt(2, 0.75);
    graphics.SetControlValueAt(3, 0.5); // out of range: nothing
    graphics.SetControlValueAt(-1, 0.5);
    EXPECT_DOUBLE_EQ(other->Value(), 0.75);
    graphics.SetParamControlsHidden(kProbeLevel, true);
    EXPECT_TRUE(a->IsHidden());
    EXPECT_TRUE(b->IsHidden());
    EXPECT_FALSE(other->IsHidden());
    graphics.PushUserValueToControls(kProbeCount, 0.4);
    EXPECT_DOUBLE_EQ(effect.ParamAt(kProbeCount)->Value(), 40.0);

    // Resizing forgets every control and tells the plug-in.
    graphics.Resize(120, 90);
    EXPECT_EQ(graphics.ControlCount(), 0);
    EXPECT_EQ(graphics.Width(), 120);
    EXPECT_EQ(graphics.Surface()->Width(), 120);
    EXPECT_EQ(effect.Take().back(), "resize 120x90");
}

} // namespace
} // namespace toneloom::testing
