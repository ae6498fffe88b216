#include "ToneloomEditorLayout.h"

#include "CLS_TONELOOM.h"
#include "IBitmapControl.h"
#include "IGraphics.h"
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

#include <memory>

namespace toneloom {

const char* const kProductPageUrl = "https://orvanta.example/toneloom";
const char* const kVendorSiteUrl = "https://orvanta.example";

namespace {

// Arguments every knob shares.
constexpr int kKnobTextGap = 5;           // pixels between picture and value text
constexpr int kKnobRotationRange = 300;   // degrees from 0 to 1
constexpr double kKnobGearing = 4.0;      // pixels of travel per pixel of box height
constexpr int kKnobVertical = 0;          // dragging up raises the value
constexpr float kKnobHoverDimming = 0.2f; // weight taken off the pointer while hovered
constexpr bool kKnobShowsUnit = true;     // "200.0Hz", not "200.0"
constexpr int kKnobNoSnapping = 0;        // no snapping on release
constexpr int kWidthOfPicture = 0;        // a box as wide as the picture
constexpr float kNoHoverLook = 0.0f;      // "Beats": no hover look
constexpr float kHoverWeight = 0.2f;      // other switches
constexpr int kListColumns = 1;           // LFO target lists: one column
constexpr int kListBelowLeft = 0;         // LFO target lists open below, left aligned
constexpr int kVersionTextSize = 16;      // "v1.10" and room to spare

// Where the version text and the band label go.
constexpr IBox kVersionBox{45, 12, 95, 30};
constexpr IBox kLinkBox{139, 15, 331, 62}; // over the title plate
constexpr IBox kBandLabelBox{216, 200, 300, 215};
constexpr int kWavePictureX = 182;
constexpr int kWavePictureY = 110;
constexpr int kLfo1MarkerLeft = 22;
constexpr int kLfo2MarkerLeft = 246;

// The texts: faint white version, bright white values and band names.
ITextStyle VersionStyle()
{
    return ITextStyle("Verdana", 13, IRgba(100, 255, 255, 255), kStyleNormal, kAlignLeft, 0,
                      kQualityDefault);
}

ITextStyle KnobStyle()
{
    return ITextStyle("Arial", 15, IRgba(200, 255, 255, 255), kStyleNormal, kAlignLeft, 0,
                      kQualityDefault);
}

ITextStyle BandStyle()
{
    return ITextStyle("Arial", 15, IRgba(200, 255, 255, 255), kStyleNormal, kAlignCenter, 0,
                      kQualityDefault);
}

// Makes the editor's kinds of control with the arguments they share and adds
// them to the editor in the order of the calls.
class LayoutBuilder
{
public:
    LayoutBuilder(CLS_TONELOOM& product, IGraphics& graphics) : product(product), graphics(graphics)
    {
    }

    IImage Picture(ToneloomPicture id, const char* name, int frames = 1)
    {
        return graphics.FetchImage(id, name, frames);
    }

    int Add(IControl* control) { return graphics.AddControl(control); }

    int RotatingKnob(int param, int centreX, int centreY, const IImage& image, int width)
    {
        return Add(new IKnobRotVal(&product, param, centreX, centreY, image, KnobStyle(),
                                   kKnobTextGap, kKnobRotationRange, kKnobGearing, width,
                                   kKnobVertical, kKnobHoverDimming, kKnobShowsUnit,
                                   kKnobNoSnapping));
    }

    int FrameKnob(int param, int centreX, int centreY, const IImage& image, int width)
    {
        return Add(new IKnobMulti(&product, param, centreX, centreY, image, KnobStyle(),
                                  kKnobTextGap, kKnobRotationRange, kKnobGearing, width,
                                  kKnobVertical));
    }

    int SyncSwitch(int param, int x, int y, const IImage& image)
    {
        auto* button = new IButtonClick(&product, param, x, y, image, kHoverWeight);
        button->SetClickFlag(product.SyncClickPendingFlag());
        return Add(button);
    }

    int TargetList(int param, int x, int y, const IImage& closed, const IImage& list)
    {
        return Add(
            new IDropDown(&product, param, x, y, closed, list, kListColumns, kListBelowLeft));
    }

private:
    CLS_TONELOOM& product;
    IGraphics& graphics;
};

} // namespace

void BuildToneloomEditor(CLS_TONELOOM& product, PX_Module module)
{
    // Owned here until the plug-in base takes it.
    std::unique_ptr<IGraphics> graphics(
        NewPlatformGraphics(&product, kEditorWidth, kEditorHeight, /*frameRate*/ 0, module));
    if (!graphics) {
        return;
    }
    IGraphics& g = *graphics;
    LayoutBuilder add(product, g);

    g.SetBackgroundImage(kPictureBackground, "img/bg.png");

    // The LFO markers read the engine's marker states.
    add.Add(new GRAPH(&product, kLfo1MarkerLeft, &product.LfoMarker(0)));
    add.Add(new GRAPH(&product, kLfo2MarkerLeft, &product.LfoMarker(1)));

    char version[kVersionTextSize] = {};
    product.VersionText(version, sizeof version);
    add.Add(new ITextControl(&product, kVersionBox, VersionStyle(), version));
    add.Add(new IURLControl(&product, kLinkBox, kProductPageUrl, kVendorSiteUrl, nullptr));

    auto* bandLabel = new ITextControl(&product, kBandLabelBox, BandStyle(), "");
    add.Add(bandLabel);
    product.SetBandLabelSink(bandLabel);

    const IImage knobLarge = add.Picture(kPictureKnobLarge, "img/knob.png");
    const IImage knobSmall = add.Picture(kPictureKnobSmall, "img/knob2.png");
    const IImage targetNames = add.Picture(kPictureLfoTarget, "img/lfo_tg.png", 5);
    const IImage targetList = add.Picture(kPictureLfoTargetList, "img/lfo_tg_.png", 5);
    const IImage syncOn = add.Picture(kPictureSyncOn, "img/rate_sync.png");
    const IImage lfoWaves = add.Picture(kPictureLfoWaveKnob, "img/lfo_wave.png", 9);

    const IImage waveShapes = add.Picture(kPictureWaveShapes, "img/gph_wave.png", kNumWaveShapes);
    product.SetWavePictureControl(add.Add(new IBitmapControl(
        &product, kWavePictureX, kWavePictureY, -1, waveShapes, IBlend(kBlendDefault, 1.0f),
        /*framesVertical*/ true)));

    // The tone.
    add.RotatingKnob(kBaseFreq, 53, 120, knobLarge, 64);
    add.RotatingKnob(kBinaural, 127, 120, knobLarge, kWidthOfPicture);
    const IImage waveKnob = add.Picture(kPictureWaveKnob, "img/wave.png", kNumWaveShapes);
    add.FrameKnob(kWave, 410, 120, waveKnob, 88);
    const IImage monauralOn = add.Picture(kPictureMonauralOn, "img/btn3.png");
    add.Add(new IButton(&product, kBeats, 370, 185, monauralOn, kNoHoverLook));
    const IImage playOn = add.Picture(kPicturePlayOn, "img/btn.png");
    add.Add(new IButton(&product, kPlayAnyway, 376, 226, playOn, kHoverWeight));
    add.RotatingKnob(kFade, 37, 215, knobSmall, 60);
    add.RotatingKnob(kBinauralPan, 90, 215, knobSmall, kWidthOfPicture);
    add.RotatingKnob(kVolume, 143, 215, knobSmall, kWidthOfPicture);

    // LFO 1. Its two rate knobs share a centre; the millisecond one starts
    // hidden, matching "LFO1 Sync" = "Yes".
    add.SyncSwitch(kLfo1Sync, 183, 280, syncOn);
    add.TargetList(kLfo1Target, 84, 300, targetNames, targetList);
    add.RotatingKnob(kLfo1Start, 45, 363, knobSmall, kWidthOfPicture);
    add.FrameKnob(kLfo1Wave, 97, 363, lfoWaves, 68);
    add.RotatingKnob(kLfo1Depth, 149, 363, knobSmall, kWidthOfPicture);
    add.RotatingKnob(kLfo1RateDiv, 201, 363, knobSmall, kWidthOfPicture);
    add.RotatingKnob(kLfo1RateMs, 201, 363, knobSmall, 60);
    g.SetParamControlsHidden(kLfo1RateMs, true);

    // LFO 2, the same way.
    add.SyncSwitch(kLfo2Sync, 407, 280, syncOn);
    add.TargetList(kLfo2Target, 308, 300, targetNames, targetList);
    add.RotatingKnob(kLfo2Start, 269, 363, knobSmall, kWidthOfPicture);
    add.FrameKnob(kLfo2Wave, 321, 363, lfoWaves, 68);
    add.RotatingKnob(kLfo2Depth, 373, 363, knobSmall, kWidthOfPicture);
    add.RotatingKnob(kLfo2RateDiv, 425, 363, knobSmall, kWidthOfPicture);
    add.RotatingKnob(kLfo2RateMs, 425, 363, knobSmall, 60);
    g.SetParamControlsHidden(kLfo2RateMs, true);

    const IImage lfosSyncOn = add.Picture(kPictureLfosSyncOn, "img/btn2.png");
    add.Add(new IButtonHold(&product, kLfosSync, 195, 414, lfosSyncOn));

    // Every control takes its parameter's current (declared default) value,
    // which also becomes its double-click default.
    product.AttachEditor(graphics.release());
    g.SetHoverEnabled(true);
}

} // namespace toneloom
