// Toneloom's editor face: a 470 x 455 pixel picture with 29 controls on it,
// built once per plug-in instance in the product's constructor, whether or not
// a host ever opens a window. The order in which the controls are added is
// the drawing order (later ones lie above and are hit first) and fixes the
// indices below, which the product and its tests use.
#pragma once

#include "PX_Types.h"

namespace toneloom {

class CLS_TONELOOM;

constexpr int kEditorWidth = 470;  // pixels
constexpr int kEditorHeight = 455; // pixels

// The editor's pictures: module resources of type "PNG" by id.
enum ToneloomPicture : int
{
    kPictureBackground = 100,    // the whole face: captions, knob bodies, panels
    kPictureKnobLarge = 101,     // pointer layer of the large knobs, 57 x 57
    kPictureKnobSmall = 102,     // pointer layer of the small knobs, 40 x 40
    kPictureWaveKnob = 103,      // "Wave" selector, 7 frames side by side
    kPictureLfoWaveKnob = 104,   // LFO wave selectors, 9 frames side by side
    kPicturePlayOn = 105,        // lit "Play Anyway" face
    kPictureMonauralOn = 106,    // lit "Beats" face (monaural)
    kPictureLfoTarget = 107,     // the five LFO target names, stacked
    kPictureLfoTargetList = 108, // the opened list of the five targets
    kPictureSyncOn = 109,        // lit LFO sync face
    kPictureLfosSyncOn = 110,    // lit "LFO's Sync" face
    kPictureWaveShapes = 111,    // one picture per tone wave shape, stacked
};

// Control indices, in the order they are added.
enum ToneloomControl : int
{
    kControlBackground = 0,
    kControlLfo1Marker = 1,
    kControlLfo2Marker = 2,
    kControlVersion = 3,
    kControlLink = 4,
    kControlBandLabel = 5,
    kControlWavePicture = 6,
    kControlBaseFreq = 7,
    kControlBinaural = 8,
    kControlWave = 9,
    kControlBeats = 10,
    kControlPlayAnyway = 11,
    kControlFade = 12,
    kControlBinauralPan = 13,
    kControlVolume = 14,
    kControlLfo1Sync = 15,
    kControlLfo1Target = 16,
    kControlLfo1Start = 17,
    kControlLfo1Wave = 18,
    kControlLfo1Depth = 19,
    kControlLfo1RateDivision = 20,
    kControlLfo1RateMs = 21,
    kControlLfo2Sync = 22,
    kControlLfo2Target = 23,
    kControlLfo2Start = 24,
    kControlLfo2Wave = 25,
    kControlLfo2Depth = 26,
    kControlLfo2RateDivision = 27,
    kControlLfo2RateMs = 28,
    kControlLfosSync = 29,
    kNumEditorControls = 30,
};

// The vendor's pages behind the title plate: the product page first, the
// main site when the browser cannot open it.
extern const char* const kProductPageUrl;
extern const char* const kVendorSiteUrl;

// [construction] Builds the editor of `product` on the platform chosen with
// SetGraphicsPlatform (pictures from `module` on Windows; null: the running
// program), connects the band label, the wave picture, the LFO markers and
// the sync switches to the engine, and attaches it to the plug-in base, which
// then owns it. Call after the parameters are declared.
void BuildToneloomEditor(CLS_TONELOOM& product, PX_Module module);

} // namespace toneloom
