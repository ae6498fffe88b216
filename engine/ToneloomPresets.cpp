// The 140 factory presets, in slot order: the default slot, 11 presets that
// show the wave shapes and the LFOs, 90 binaural beats, 18 healing and 20
// solfeggio carriers. Names are shown to users exactly as written here,
// including their odd spellings.
#include "CLS_TONELOOM.h"

namespace toneloom {

namespace {

// One preset's values by parameter index; every factory preset starts from
// kCommonRecord. It differs from the declared defaults in "Play Anyway"
// ("Yes") and "LFO2 Wave" ("Sine").
struct PresetValues
{
    double v[kNumParams];
};

constexpr PresetValues kCommonRecord = {{
    200.0, // kBaseFreq (set by every preset)
    4.0,   // kBinaural (set by every preset)
    kWaveGoldenSineTS, 100, kBeatsBinaural, 1 /* Play Anyway: Yes */, 1000, 90,
    // LFO 1: target, wave, sync, division "1/1", ms, depth, start
    kTargetNone, kLfoSine, 1, 15, 2000, 90, 0,
    // LFO 2
    kTargetNone, kLfoSine, 1, 15, 2000, 90, 0,
    0, // kLfosSync: No
}};

struct FeaturePreset
{
    const char* name;
    double baseHz;
    double beatHz;
    int wave;
    int panPercent;
    int volumePercent;
    int lfo1Target;
    int lfo1Division;
    int lfo1Depth;
    int lfo2Target;
    int lfo2Division;
    int lfo2Depth;
};

constexpr int kWhole = 15;     // division "1/1"
constexpr int kTwoWhole = 18;  // division "2/1"
constexpr int kFourWhole = 21; // division "4/1"

const FeaturePreset kFeaturePresets[] = {
    {"Higher frequencies", 400, 4, kWaveGoldenSineTS, 100, 90, kTargetNone, kWhole, 90, kTargetNone,
     kWhole, 90},
    {"Modulated Binaural", 200, 4, kWaveGoldenSineTS, 100, 90, kTargetBinaural, kFourWhole, 20,
     kTargetVolume, kTwoWhole, 40},
    {"Modulated Binaural Golden", 200, 4, kWaveGoldenSineSG, 100, 90, kTargetBinaural, kFourWhole,
     20, kTargetVolume, kTwoWhole, 40},
    {"Shift Between Ears", 200, 55, kWaveGoldenSineTS, 0, 90, kTargetBinauralPan, kFourWhole, 100,
     kTargetVolume, kTwoWhole, 40},
    {"Modulated Base Freq", 300, 5, kWaveGoldenSineTS, 100, 90, kTargetBaseFreq, kFourWhole, 30,
     kTargetVolume, kTwoWhole, 40},
    {"Golden Sine TS", 200, 4, kWaveGoldenSineTS, 100, 90, kTargetNone, kWhole, 90, kTargetNone,
     kWhole, 90},
    {"Golden Sine SG", 200, 4, kWaveGoldenSineSG, 100, 90, kTargetNone, kWhole, 90, kTargetNone,
     kWhole, 90},
    {"Golden Sine GS", 200, 4, kWaveGoldenSineGS, 100, 90, kTargetNone, kWhole, 90, kTargetNone,
     kWhole, 90},
    {"Golden Sine Half", 200, 4, kWaveSineHalf, 100, 90, kTargetNone, kWhole, 90, kTargetNone,
     kWhole, 90},
    {"Golden Triangle", 200, 4, kWaveGoldenTriangle, 100, 80, kTargetNone, kWhole, 90, kTargetNone,
     kWhole, 90},
    {"Golden Square", 200, 4, kWaveGoldenSquare, 100, 60, kTargetNone, kWhole, 90, kTargetNone,
     kWhole, 90},
};

// A preset with one frequency: the beat of a binaural preset, the carrier of
// a healing or solfeggio one.
struct NamedFrequency
{
    double hz;
    const char* name;
};

constexpr double kBinauralCarrierHz = 200.0;

const NamedFrequency kBinauralPresets[] = {
    {0.2, "Binaural - 0.2 (Dental pain)"},
    {0.28, "Binaural - 0.28 (Arthritis)"},
    {0.3, "Binaural - 0.3 (Depression)"},
    {0.37, "Binaural - 0.37 (Drug addiction)"},
    {0.4, "Binaural - 0.4 (Confusion)"},
    {0.5, "Binaural - 0.5 (Post traumatics)"},
    {0.9, "Binaural - 0.9 (Euphoria)"},
    {1.0, "Binaural - 1 (Feeling of well-being, pituitary stimulation)"},
    {1.45, "Binaural - 1.45 (Tri-thalamic entrainment, Alzheimer)"},
    {1.5, "Binaural - 1.5 (Abrahams universal healing rate)"},
    {1.8, "Binaural - 1.8 (Sinus congestion)"},
    {2.0, "Binaural - 2.0 (Nerve regeneration)"},
    {2.06, "Binaural - 2.06 (Associated with coccyx)"},
    {2.2, "Binaural - 2.2 (Dreamless sleep, trance state)"},
    {2.3, "Binaural - 2.3 (Associated with genitals)"},
    {2.57, "Binaural - 2.57 (Associated with bladder)"},
    {2.67, "Binaural - 2.67 (Associated with intestines)"},
    {3.0, "Binaural - 3.0 (Increased Reaction Time)"},
    {3.4, "Binaural - 3.4 (Sound sleep)"},
    {3.44, "Binaural - 3.44 (Associated with ovaries)"},
    {3.5, "Binaural - 3.5 (Feeling of unity with everythin)"},
    {3.6, "Binaural - 3.6 (Remedy for anger & irritability)"},
    {3.84, "Binaural - 3.84 (Associated with the liver & pancreas)"},
    {4.0, "Binaural - 4.0 (Extrasensory perception, astral Projection)"},
    {4.11, "Binaural - 4.11 (Associated with kidneys)"},
    {4.5, "Binaural - 4.5 (Shamanic & Tibetan state of consciousness)"},
    {4.6, "Binaural - 4.6 (Associated with spleen & blood)"},
    {4.9, "Binaural - 4.9 (Relaxation & meditation)"},
    {5.0, "Binaural - 5.0 (Relaxed states, pain-relief)"},
    {5.14, "Binaural - 5.14 (Associated with stomach)"},
    {5.35, "Binaural - 5.35 (Associated with lungs)"},
    {5.5, "Binaural - 5.5 (Beyond knowledge to knowing)"},
    {5.8, "Binaural - 5.8 (Reduce fear, absent-mindedness)"},
    {6.0, "Binaural - 6.0 (Creative visualization)"},
    {6.15, "Binaural - 6.15 (Associated with heart)"},
    {6.3, "Binaural - 6.3 (Mental & astral projection)"},
    {7.0, "Binaural - 7.0 (Mental & astral projection 2)"},
    {7.5, "Binaural - 7.5 (Inter-awareness of self)"},
    {7.8, "Binaural - 7.8 (Stimulates ESP, paranormal)"},
    {8.0, "Binaural - 8.0 (Learning new information)"},
    {8.6, "Binaural - 8.6 (Induces sleep, tingling sensations)"},
    {9.0, "Binaural - 9.0 (Awareness of causes of body imbalance)"},
    {9.41, "Binaural - 9.41 (Pyramid vr.frequency)"},
    {9.6, "Binaural - 9.6 (Earth's magnetic field)"},
    {10.6, "Binaural - 10.6 (Relaxed & alert)"},
    {11.0, "Binaural - 11.0 (Focused alertness)"},
    {14.1, "Binaural - 14.1 (Earth Resonance)"},
    {15.0, "Binaural - 15.0 (Euphoria)"},
    {20.3, "Binaural - 20.3 (Earth Resonance)"},
    {22.02, "Binaural - 22.02 (Serotonin)"},
    {26.4, "Binaural - 26.4 (Earth Resonance)"},
    {30.0, "Binaural - 30.0 (Associated with marijuana)"},
    {31.32, "Binaural - 31.32 (Pituitary stimulation to release growth hormone)"},
    {32.0, "Binaural - 32.0 (Desensitizer; enhanced vigour & alertnes)"},
    {33.0, "Binaural - 33.0 (Christ consciousness)"},
    {35.0, "Binaural - 35.0 (Awakening of mid-chakras, balance of chakras)"},
    {38.0, "Binaural - 38.0 (Endorphin release)"},
    {46.98, "Binaural - 46.98 (Useful for weird effects)"},
    {55.0, "Binaural - 55.0 (Tantric yoga, stimulates the kundalini)"},
    {63.5, "Binaural - 63.5 (Astral projection)"},
    {70.0, "Binaural - 70.0 (Mental & astral projection)"},
    {83.0, "Binaural - 83.0 (Third eye opening)"},
    {90.0, "Binaural - 90.0 (Pleasure, producing beta-endorphins)"},
    {105.0, "Binaural - 105.0 (Overall view of complete situation)"},
    {108.0, "Binaural - 108.0 (Total knowing)"},
    {111.0, "Binaural - 111.0 (Beta endorphins)"},
    {176.0, "Binaural - 176.0 (Associated with colon)"},
    {8.0, "Binaural - 8.0 (Muladhara chakra)"},
    {9.0, "Binaural - 9.0 (Svadhisthana chakra)"},
    {10.0, "Binaural - 10.0 (Manipura chakra)"},
    {10.5, "Binaural - 10.5 (Anahata chakra)"},
    {12.0, "Binaural - 12.0 (Vishuddha chakra)"},
    {13.0, "Binaural - 13.0 (Ajna chakra)"},
    {15.0, "Binaural - 15.0 (Sahasrara chakra)"},
    {7.83, "Binaural - 7.83 (Schumann Resonance)"},
    {14.3, "Binaural - 14.3 (Schumann Resonance)"},
    {20.8, "Binaural - 20.8 (Schumann Resonance)"},
    {27.3, "Binaural - 27.3 (Schumann Resonance)"},
    {33.8, "Binaural - 33.8 (Schumann Resonance)"},
    {126.22, "Binaural - 126.22 (Sun: light, warmth, joy, animus)"},
    {136.1, "Binaural - 136.1 (Earth: resonates with the earth year)"},
    {140.25, "Binaural - 140.25 (Pluto: power, crisis & changes)"},
    {141.27, "Binaural - 141.27 (Mercury: intellectuality, mobility)"},
    {144.72, "Binaural - 144.72 (Mars: activity, energy, freedom, humor)"},
    {147.85, "Binaural - 147.85 (Saturn: separation, sorrow, death)"},
    {183.58, "Binaural - 183.58 (Jupiter: growth, success, justice, spirituality)"},
    {194.71, "Binaural - 194.71 (Earth: stability, grounding)"},
    {207.36, "Binaural - 207.36 (Uranus: spontaneity, independence, originality)"},
    {211.44, "Binaural - 211.44 (Neptune: the unconscious, imagination, spiritual)"},
    {221.23, "Binaural - 221.23 (Venus: beauty, love, sexuality, sensuality, harmony)"},
};

const NamedFrequency kHealingPresets[] = {
    {110.0, "Healing - 110 Hz (Stomach)"},
    {117.3, "Healing - 117.3 Hz (Pancreas)"},
    {164.3, "Healing - 164.3 Hz (Gall Bladder)"},
    {176.0, "Healing - 176 Hz (Colon)"},
    {220.0, "Healing - 220 Hz (Lungs)"},
    {264.0, "Healing - 264 Hz (Personality)"},
    {281.6, "Healing - 281.6 Hz (Small Intestine)"},
    {295.8, "Healing - 295.8 Hz (Fat Cells)"},
    {317.8, "Healing - 317.8 Hz (Liver)"},
    {319.9, "Healing - 319.9 Hz (Kidneys)"},
    {321.9, "Healing - 321.9 Hz (Blood)"},
    {324.0, "Healing - 324 Hz (Muscles)"},
    {352.0, "Healing - 352 Hz (Bladder)"},
    {418.3, "Healing - 418.3 Hz (Bones)"},
    {432.0, "Healing - 432 Hz (Natural, harmonic intonation of nature)"},
    {492.0, "Healing - 492 Hz (Spleen)"},
    {492.8, "Healing - 492.8 Hz (Adrenals, thyroid & parathyroid)"},
    {586.0, "Healing - 586 Hz (Circulation  & sex)"},
};

// Each solfeggio frequency as a plain preset and, right after it, a variant
// whose LFO 1 swings the volume.
struct SolfeggioPreset
{
    double hz;
    const char* plainName;
    const char* lfoName;
};

const SolfeggioPreset kSolfeggioPresets[] = {
    {396.0, "Solfeggio UT - 396 Hz (Turning grief into joy, liberating Guilt and Fear)",
     "Solfeggio UT - 396 Hz LFO"},
    {417.0, "Solfeggio RE - 417 Hz (Undoing Situations and Facilitating Change)",
     "Solfeggio RE - 417 Hz LFO"},
    {528.0, "Solfeggio MI - 528 Hz (Transformation and Miracles, DNA Repair)",
     "Solfeggio MI - 528 Hz LFO"},
    {639.0, "Solfeggio FA - 639 Hz (Relationship, connecting with spiritual family)",
     "Solfeggio FA - 639 Hz LFO"},
    {741.0, "Solfeggio SOL - 741 Hz (Solving problems, expressions & solutions)",
     "Solfeggio SOL - 741 Hz LFO"},
    {852.0, "Solfeggio LA - 852 Hz (Awakening Intuition, returning to Spiritual Order)",
     "Solfeggio LA - 852 Hz LFO"},
    {963.0, "Solfeggio SI - 963 Hz (Awakens any system to its original, perfect state)",
     "Solfeggio SI - 963 Hz LFO"},
    {174.0, "Solfeggio - 174 Hz (Natural anaesthetic, reduce pain)", "Solfeggio - 174 Hz LFO"},
    {285.0, "Solfeggio - 285 Hz (Return tissue into its original form)", "Solfeggio - 285 Hz LFO"},
    {936.0, "Solfeggio - 936 Hz (Pineal Gland Activator)", "Solfeggio - 936 Hz Hz LFO"},
};

// The solfeggio LFO variants differ from the common record in these.
constexpr int kSolfeggioLfoVolumePercent = 80;
constexpr int kSolfeggioLfoDepthPercent = 40;

PresetValues WithFrequencies(double baseHz, double beatHz)
{
    PresetValues values = kCommonRecord;
    values.v[kBaseFreq] = baseHz;
    values.v[kBinaural] = beatHz;
    return values;
}

} // namespace

void CLS_TONELOOM::CreateFactoryPresets()
{
    // Slot 0 restores every declared default.
    CreateDefaultPresets("---- default ----", 1);

    auto create = [this](const char* name, const PresetValues& p) {
        const double* v = p.v;
        CreatePreset(name, {v[0],  v[1],  v[2],  v[3],  v[4],  v[5],  v[6],  v[7],
                            v[8],  v[9],  v[10], v[11], v[12], v[13], v[14], v[15],
                            v[16], v[17], v[18], v[19], v[20], v[21], v[22]});
    };
    static_assert(kNumParams == 23, "the preset value list names every parameter");

    for (const FeaturePreset& f : kFeaturePresets) {
        PresetValues values = WithFrequencies(f.baseHz, f.beatHz);
        values.v[kWave] = f.wave;
        values.v[kBinauralPan] = f.panPercent;
        values.v[kVolume] = f.volumePercent;
        values.v[kLfo1Target] = f.lfo1Target;
        values.v[kLfo1RateDiv] = f.lfo1Division;
        values.v[kLfo1Depth] = f.lfo1Depth;
        values.v[kLfo2Target] = f.lfo2Target;
        values.v[kLfo2RateDiv] = f.lfo2Division;
        values.v[kLfo2Depth] = f.lfo2Depth;
        create(f.name, values);
    }
    for (const NamedFrequency& b : kBinauralPresets) {
        create(b.name, WithFrequencies(kBinauralCarrierHz, b.hz));
    }
    for (const NamedFrequency& h : kHealingPresets) {
        create(h.name, WithFrequencies(h.hz, 0.0));
    }
    for (const SolfeggioPreset& s : kSolfeggioPresets) {
        create(s.plainName, WithFrequencies(s.hz, 0.0));
        PresetValues swinging = WithFrequencies(s.hz, 0.0);
        swinging.v[kVolume] = kSolfeggioLfoVolumePercent;
        swinging.v[kLfo1Target] = kTargetVolume;
        swinging.v[kLfo1RateDiv] = kTwoWhole;
        swinging.v[kLfo1Depth] = kSolfeggioLfoDepthPercent;
        create(s.lfoName, swinging);
    }
}

} // namespace toneloom
