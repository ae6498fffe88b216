// Parameter indices and value enumerations of Toneloom. An index is the
// identity of a parameter everywhere: saved state and preset records hold one
// value per index in this order, hosts see these numbers as parameter IDs and
// editor controls bind to them. Never renumber or reorder.
#pragma once

namespace toneloom {

enum ParamIndex : int
{
    kBaseFreq = 0,     // Hz, frequency of the left oscillator
    kBinaural = 1,     // Hz, offset of the right oscillator above the left one
    kWave = 2,         // WaveShape
    kBinauralPan = 3,  // percent, -100..100
    kBeats = 4,        // BeatsMode
    kPlayAnyway = 5,   // No / Yes
    kFade = 6,         // ms, glide time of frequency changes
    kVolume = 7,       // percent
    kLfo1Target = 8,   // LfoTarget
    kLfo1Wave = 9,     // LfoWave
    kLfo1Sync = 10,    // No / Yes: rate from a tempo division
    kLfo1RateDiv = 11, // tempo division 0..30
    kLfo1RateMs = 12,  // ms per cycle
    kLfo1Depth = 13,   // percent
    kLfo1Start = 14,   // percent of a cycle
    kLfo2Target = 15,  // LfoTarget
    kLfo2Wave = 16,    // LfoWave
    kLfo2Sync = 17,    // No / Yes
    kLfo2RateDiv = 18, // tempo division 0..30
    kLfo2RateMs = 19,  // ms per cycle
    kLfo2Depth = 20,   // percent
    kLfo2Start = 21,   // percent of a cycle
    kLfosSync = 22,    // No / Yes: restart both LFOs together
    kNumParams = 23
};

// The tone's wave shape ("Wave").
enum WaveShape : int
{
    kWaveSine = 0,
    kWaveGoldenSineTS = 1,
    kWaveGoldenSineSG = 2,
    kWaveGoldenSineGS = 3,
    kWaveSineHalf = 4,
    kWaveGoldenTriangle = 5,
    kWaveGoldenSquare = 6,
    kNumWaveShapes = 7
};

// How the two oscillators reach the ears ("Beats").
enum BeatsMode : int
{
    kBeatsBinaural = 0, // one oscillator per ear, crossfaded by "Binaural Pan"
    kBeatsMonaural = 1, // their sum in both ears
    kNumBeatsModes = 2
};

// What an LFO drives ("LFO1 Target", "LFO2 Target").
enum LfoTarget : int
{
    kTargetNone = 0,
    kTargetBaseFreq = 1,
    kTargetBinaural = 2,
    kTargetBinauralPan = 3,
    kTargetVolume = 4,
    kNumLfoTargets = 5
};

// An LFO's wave ("LFO1 Wave", "LFO2 Wave").
enum LfoWave : int
{
    kLfoSine = 0,
    kLfoGoldenSine = 1,
    kLfoTriangle = 2,
    kLfoGoldenTri = 3,
    kLfoSaw = 4,
    kLfoSawFlip = 5,
    kLfoSineHalf = 6,
    kLfoHalfFlip = 7,
    kLfoGoldenHalf = 8,
    kNumLfoWaves = 9
};

// Number of tempo divisions of "LFO1 Rate" / "LFO2 Rate", "1/32" to "32/1".
constexpr int kNumRateDivisions = 31;
constexpr int kNumLfos = 2;
// Preset slots of the plug-in; the factory fills the first 140.
constexpr int kNumPresetSlots = 150;

} // namespace toneloom
