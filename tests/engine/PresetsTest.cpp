// The factory presets: count and order, exact names, the default slot, and
// for every binaural, healing and solfeggio preset that its values (and its
// sound) match the frequency in its name.
#include "SignalMeasure.h"
#include "TestToneloom.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

using namespace toneloom;
using namespace toneloom::testing;

namespace {

constexpr int kFactoryPresets = 140;
constexpr int kFirstBinaural = 12;
constexpr int kFirstHealing = 102;
constexpr int kFirstSolfeggio = 120;

// The value every factory preset of slots 1..139 holds where its family does
// not say otherwise.
const double kCommon[kNumParams] = {-1, -1, // "Base Freq" and "Binaural" vary
                                    1,  100, 0, 1, 1000, 90, 0,    0,  1, 15, 2000,
                                    90, 0,   0, 0, 1,    15, 2000, 90, 0, 0};

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// The frequency written after " - " in a preset name.
double FrequencyInName(const std::string& name)
{
    const size_t dash = name.find(" - ");
    return std::strtod(name.c_str() + dash + 3, nullptr);
}

TEST(ToneloomPresets, FactoryFillsTheFirst140Of150Slots)
{
    TestToneloom fx;
    ASSERT_EQ(fx.PresetCount(), kNumPresetSlots);
    for (int slot = 0; slot < kNumPresetSlots; ++slot) {
        EXPECT_EQ(fx.PresetAt(slot)->filled, slot < kFactoryPresets) << slot;
    }
    EXPECT_STREQ(fx.PresetName(0), "---- default ----");
    EXPECT_STREQ(fx.PresetName(1), "Higher frequencies");
    EXPECT_STREQ(fx.PresetName(11), "Golden Square");
    EXPECT_STREQ(fx.PresetName(kFirstBinaural), "Binaural - 0.2 (Dental pain)");
    EXPECT_STREQ(fx.PresetName(kFirstHealing - 1),
                 "Binaural - 221.23 (Venus: beauty, love, sexuality, sensuality, harmony)");
    EXPECT_STREQ(fx.PresetName(kFirstHealing), "Healing - 110 Hz (Stomach)");
    EXPECT_STREQ(fx.PresetName(kFirstSolfeggio),
                 "Solfeggio UT - 396 Hz (Turning grief into joy, liberating Guilt and Fear)");
    EXPECT_STREQ(fx.PresetName(140), "- 141 -");
}

TEST(ToneloomPresets, NamesKeepTheirQuirks)
{
    TestToneloom fx;
    EXPECT_STREQ(fx.PresetName(139), "Solfeggio - 936 Hz Hz LFO");
    EXPECT_STREQ(fx.PresetName(119), "Healing - 586 Hz (Circulation  & sex)");
    EXPECT_STREQ(fx.PresetName(kFirstBinaural + 20),
                 "Binaural - 3.5 (Feeling of unity with everythin)");
    EXPECT_STREQ(fx.PresetName(kFirstBinaural + 53),
                 "Binaural - 32.0 (Desensitizer; enhanced vigour & alertnes)");
    EXPECT_STREQ(fx.PresetName(kFirstBinaural + 7),
                 "Binaural - 1 (Feeling of well-being, pituitary stimulation)");
    // Numbers that come twice, under different descriptions.
    EXPECT_STREQ(fx.PresetName(kFirstBinaural + 39), "Binaural - 8.0 (Learning new information)");
    EXPECT_STREQ(fx.PresetName(kFirstBinaural + 67), "Binaural - 8.0 (Muladhara chakra)");
    EXPECT_STREQ(fx.PresetName(kFirstBinaural + 73), "Binaural - 15.0 (Sahasrara chakra)");
}

TEST(ToneloomPresets, FamiliesFollowEachOtherInSlotOrder)
{
    TestToneloom fx;
    for (int slot = kFirstBinaural; slot < kFirstHealing; ++slot) {
        EXPECT_TRUE(StartsWith(fx.PresetName(slot), "Binaural - ")) << slot;
    }
    for (int slot = kFirstHealing; slot < kFirstSolfeggio; ++slot) {
        EXPECT_TRUE(StartsWith(fx.PresetName(slot), "Healing - ")) << slot;
    }
    for (int slot = kFirstSolfeggio; slot < kFactoryPresets; ++slot) {
        const std::string name = fx.PresetName(slot);
        EXPECT_TRUE(StartsWith(name, "Solfeggio")) << slot;
        // Plain preset, then its LFO variant at the same frequency.
        const bool isVariant = (slot - kFirstSolfeggio) % 2 == 1;
        EXPECT_EQ(name.size() >= 4 && name.compare(name.size() - 4, 4, " LFO") == 0, isVariant)
            << name;
        if (isVariant) {
            EXPECT_EQ(FrequencyInName(name), FrequencyInName(fx.PresetName(slot - 1))) << name;
        }
    }
}

TEST(ToneloomPresets, DefaultSlotRestoresEveryDeclaredDefault)
{
    Rig rig;
    rig.Set(kBaseFreq, 1234.5);
    rig.Set(kWave, kWaveGoldenSquare);
    rig.Set(kLfo2Target, kTargetVolume);
    rig.Set(kLfosSync, 1);
    ASSERT_TRUE(rig.fx.LoadPreset(5));
    EXPECT_EQ(rig.fx.CurrentPreset(), 5);
    EXPECT_TRUE(rig.fx.LoadPreset(0));
    EXPECT_EQ(rig.fx.CurrentPreset(), 0);
    for (int i = 0; i < kNumParams; ++i) {
        EXPECT_DOUBLE_EQ(rig.Value(i), rig.fx.ParamAt(i)->DefaultValue()) << i;
    }
    // And the engine follows: the default tone plays at 200 Hz, 4 Hz apart
    // (measured without the glide of the first second).
    rig.Set(kFade, 1);
    const Stereo out = rig.Render(48000 * 2);
    EXPECT_NEAR(FrequencyHz(out.left, 48000, 48000, 48000.0), 200.0, 0.05);
    EXPECT_NEAR(FrequencyHz(out.right, 48000, 48000, 48000.0), 204.0, 0.05);
}

TEST(ToneloomPresets, UnfilledSlotsBecomeUserPresets)
{
    Rig rig;
    rig.Set(kVolume, 42);
    EXPECT_TRUE(rig.fx.LoadPreset(140));
    EXPECT_STREQ(rig.fx.PresetName(140), "user preset 1");
    EXPECT_DOUBLE_EQ(rig.Value(kVolume), 42.0);
    EXPECT_TRUE(rig.fx.LoadPreset(149));
    EXPECT_STREQ(rig.fx.PresetName(149), "user preset 2");
}

struct FeatureRow
{
    int slot;
    double baseHz, beatHz;
    int wave, pan, volume, lfo1Target, lfo1Division, lfo1Depth, lfo2Target, lfo2Division, lfo2Depth;
};

TEST(ToneloomPresets, FeaturePresetsShowTheShapesAndTheLfos)
{
    const FeatureRow rows[] = {
        {1, 400, 4, 1, 100, 90, 0, 15, 90, 0, 15, 90},
        {2, 200, 4, 1, 100, 90, 2, 21, 20, 4, 18, 40},
        {3, 200, 4, 2, 100, 90, 2, 21, 20, 4, 18, 40},
        {4, 200, 55, 1, 0, 90, 3, 21, 100, 4, 18, 40},
        {5, 300, 5, 1, 100, 90, 1, 21, 30, 4, 18, 40},
        {6, 200, 4, 1, 100, 90, 0, 15, 90, 0, 15, 90},
        {7, 200, 4, 2, 100, 90, 0, 15, 90, 0, 15, 90},
        {8, 200, 4, 3, 100, 90, 0, 15, 90, 0, 15, 90},
        {9, 200, 4, 4, 100, 90, 0, 15, 90, 0, 15, 90},
        {10, 200, 4, 5, 100, 80, 0, 15, 90, 0, 15, 90},
        {11, 200, 4, 6, 100, 60, 0, 15, 90, 0, 15, 90},
    };
    Rig rig;
    for (const FeatureRow& r : rows) {
        ASSERT_TRUE(rig.fx.LoadPreset(r.slot));
        double expected[kNumParams];
        std::copy(std::begin(kCommon), std::end(kCommon), expected);
        expected[kBaseFreq] = r.baseHz;
        expected[kBinaural] = r.beatHz;
        expected[kWave] = r.wave;
        expected[kBinauralPan] = r.pan;
        expected[kVolume] = r.volume;
        expected[kLfo1Target] = r.lfo1Target;
        expected[kLfo1RateDiv] = r.lfo1Division;
        expected[kLfo1Depth] = r.lfo1Depth;
        expected[kLfo2Target] = r.lfo2Target;
        expected[kLfo2RateDiv] = r.lfo2Division;
        expected[kLfo2Depth] = r.lfo2Depth;
        for (int i = 0; i < kNumParams; ++i) {
            EXPECT_DOUBLE_EQ(rig.Value(i), expected[i]) << rig.fx.PresetName(r.slot) << " #" << i;
        }
    }
}

// Every preset of the three frequency families, by slot.
class FrequencyPreset : public ::testing::TestWithParam<int>
{
};

TEST_P(FrequencyPreset, HoldsAndPlaysTheFrequencyInItsName)
{
    const int slot = GetParam();
    Rig rig;
    rig.fx.transport = kTransportStopped; // "Play Anyway" of the preset must carry the tone
    ASSERT_TRUE(rig.fx.LoadPreset(slot));
    const std::string name = rig.fx.PresetName(slot);
    const double hz = FrequencyInName(name);
    ASSERT_GT(hz, 0.0) << name;

    double expected[kNumParams];
    std::copy(std::begin(kCommon), std::end(kCommon), expected);
    if (slot < kFirstHealing) {
        expected[kBaseFreq] = 200.0;
        expected[kBinaural] = hz;
    } else {
        expected[kBaseFreq] = hz;
        expected[kBinaural] = 0.0;
    }
    const bool lfoVariant = slot >= kFirstSolfeggio && (slot - kFirstSolfeggio) % 2 == 1;
    if (lfoVariant) {
        expected[kVolume] = 80;
        expected[kLfo1Target] = kTargetVolume;
        expected[kLfo1RateDiv] = 18;
        expected[kLfo1Depth] = 40;
    }
    for (int i = 0; i < kNumParams; ++i) {
        EXPECT_DOUBLE_EQ(rig.Value(i), expected[i]) << name << " #" << i;
    }

    // The carrier sounds in the left ear, the right ear the beat above it
    // (measured without the glide from silence of the first block).
    rig.Set(kFade, 1);
    const Stereo out = rig.Render(24000 + 4800, 4096);
    const double sr = rig.SampleRate();
    EXPECT_NEAR(FrequencyHz(out.left, 4800, 24000, sr), expected[kBaseFreq], 0.02) << name;
    EXPECT_NEAR(FrequencyHz(out.right, 4800, 24000, sr), expected[kBaseFreq] + expected[kBinaural],
                0.02)
        << name;
}

INSTANTIATE_TEST_SUITE_P(Toneloom, FrequencyPreset,
                         ::testing::Range(kFirstBinaural, kFactoryPresets),
                         [](const ::testing::TestParamInfo<int>& p) {
                             return "Slot" + std::to_string(p.param);
                         });

} // namespace
