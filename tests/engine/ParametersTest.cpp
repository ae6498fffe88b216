// The parameter set, the change handler's keys, the renderer switch, the band
// label and the engine's own parameter changes.
#include "BandName.h"
#include "SignalMeasure.h"
#include "TestToneloom.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

using namespace toneloom;
using namespace toneloom::testing;

namespace {

struct Declaration
{
    int index;
    const char* name;
    ParamKind kind;
    double defaultValue;
    double min;
    double max;
    double step;
    const char* label;
    double shape;
    int decimals;
};

void PrintTo(const Declaration& d, std::ostream* os)
{
    *os << d.index << " \"" << d.name << "\"";
}

const Declaration kDeclarations[] = {
    {kBaseFreq, "Base Freq", kKindDouble, 200, 20, 20000, 0.1, "Hz", 2, 1},
    {kBinaural, "Binaural", kKindDouble, 4, 0, 512, 0.01, "Hz", 1, 2},
    {kWave, "Wave", kKindEnum, 1, 0, 6, 1, "", 1, 0},
    {kBinauralPan, "Binaural Pan", kKindInt, 100, -100, 100, 1, "%", 1, 0},
    {kBeats, "Beats", kKindEnum, 0, 0, 1, 1, "", 1, 0},
    {kPlayAnyway, "Play Anyway", kKindEnum, 0, 0, 1, 1, "", 1, 0},
    {kFade, "Fade", kKindInt, 1000, 1, 90000, 1, "ms", 1, 0},
    {kVolume, "Volume", kKindInt, 90, 0, 100, 1, "%", 1, 0},
    {kLfo1Target, "LFO1 Target", kKindEnum, 0, 0, 4, 1, "", 1, 0},
    {kLfo1Wave, "LFO1 Wave", kKindEnum, 0, 0, 8, 1, "", 1, 0},
    {kLfo1Sync, "LFO1 Sync", kKindEnum, 1, 0, 1, 1, "", 1, 0},
    {kLfo1RateDiv, "LFO1 Rate", kKindEnum, 15, 0, 30, 1, "", 1, 0},
    {kLfo1RateMs, "LFO1 Rate", kKindInt, 2000, 60, 64000, 1, "ms", 2, 0},
    {kLfo1Depth, "LFO1 Depth", kKindInt, 90, 0, 100, 1, "%", 1, 0},
    {kLfo1Start, "LFO1 Start", kKindInt, 0, 0, 100, 1, "%", 1, 0},
    {kLfo2Target, "LFO2 Target", kKindEnum, 0, 0, 4, 1, "", 1, 0},
    {kLfo2Wave, "LFO2 Wave", kKindEnum, 1, 0, 8, 1, "", 1, 0},
    {kLfo2Sync, "LFO2 Sync", kKindEnum, 1, 0, 1, 1, "", 1, 0},
    {kLfo2RateDiv, "LFO2 Rate", kKindEnum, 15, 0, 30, 1, "", 1, 0},
    {kLfo2RateMs, "LFO2 Rate", kKindInt, 2000, 60, 64000, 1, "ms", 2, 0},
    {kLfo2Depth, "LFO2 Depth", kKindInt, 90, 0, 100, 1, "%", 1, 0},
    {kLfo2Start, "LFO2 Start", kKindInt, 0, 0, 100, 1, "%", 1, 0},
    {kLfosSync, "LFO's Sync", kKindEnum, 0, 0, 1, 1, "", 1, 0},
};

class DeclaredParameter : public ::testing::TestWithParam<Declaration>
{
};

TEST_P(DeclaredParameter, HasItsNameKindRangeDefaultStepLabelAndShape)
{
    const Declaration& d = GetParam();
    TestToneloom fx;
    ASSERT_EQ(fx.ParamCount(), kNumParams);
    const IParamRecord* p = fx.ParamAt(d.index);
    ASSERT_NE(p, nullptr);
    EXPECT_STREQ(p->Name(), d.name);
    EXPECT_EQ(p->Kind(), d.kind);
    EXPECT_DOUBLE_EQ(p->DefaultValue(), d.defaultValue);
    EXPECT_DOUBLE_EQ(p->Value(), d.defaultValue);
    EXPECT_DOUBLE_EQ(p->Min(), d.min);
    EXPECT_DOUBLE_EQ(p->Max(), d.max);
    EXPECT_DOUBLE_EQ(p->Step(), d.step);
    EXPECT_STREQ(p->Label(), d.label);
    EXPECT_DOUBLE_EQ(p->Shape(), d.shape);
    EXPECT_EQ(p->Decimals(), d.decimals);
    // Integers show no decimals; enumerations show their texts.
    char text[kParamTextSize];
    p->FormatValue(d.defaultValue, false, text, sizeof text);
    if (d.kind == kKindEnum) {
        EXPECT_GT(p->ValueTextCount(), 0);
        EXPECT_STREQ(text, p->ValueTextFor(static_cast<int>(d.defaultValue)));
    } else {
        EXPECT_EQ(p->ValueTextCount(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Toneloom, DeclaredParameter, ::testing::ValuesIn(kDeclarations),
                         [](const ::testing::TestParamInfo<Declaration>& p) {
                             return "Index" + std::to_string(p.param.index);
                         });

struct EnumTexts
{
    int index;
    std::vector<std::string> texts;
};

void PrintTo(const EnumTexts& e, std::ostream* os)
{
    *os << "parameter " << e.index << ", " << e.texts.size() << " texts";
}

class EnumParameterTexts : public ::testing::TestWithParam<EnumTexts>
{
};

TEST_P(EnumParameterTexts, NameEveryValueInOrder)
{
    TestToneloom fx;
    const IParamRecord* p = fx.ParamAt(GetParam().index);
    const std::vector<std::string>& texts = GetParam().texts;
    ASSERT_EQ(p->ValueTextCount(), static_cast<int>(texts.size()));
    EXPECT_DOUBLE_EQ(p->Max(), texts.size() - 1.0);
    for (size_t v = 0; v < texts.size(); ++v) {
        EXPECT_EQ(p->ValueTextFor(static_cast<int>(v)), texts[v]) << "value " << v;
        double typed = -1.0;
        EXPECT_TRUE(p->ValueForText(texts[v].c_str(), &typed));
        EXPECT_EQ(typed, static_cast<double>(v));
    }
}

const std::vector<std::string> kDivisionTexts = {
    "1/32", "1/16T", "1/32D", "1/16",  "1/8T", "1/16D", "1/8",   "1/4T",  "1/8D", "1/4",  "1/2T",
    "1/4D", "1/2",   "1/1T",  "1/2D",  "1/1",  "2/1T",  "1/1D",  "2/1",   "4/1T", "2/1D", "4/1",
    "8/1T", "4/1D",  "8/1",   "16/1T", "8/1D", "16/1",  "32/1T", "16/1D", "32/1"};
const std::vector<std::string> kTargetTexts = {"No Assign", "Base Freq", "Binaural", "Binaural Pan",
                                               "Volume"};
const std::vector<std::string> kLfoWaveTexts = {"Sine",       "Golden Sine", "Triangle",
                                                "Golden Tri", "Saw",         "Saw Flip",
                                                "Sine Half",  "Half Flip",   "Golden Half"};
const std::vector<std::string> kNoYes = {"No", "Yes"};

INSTANTIATE_TEST_SUITE_P(
    Toneloom, EnumParameterTexts,
    ::testing::Values(EnumTexts{kWave,
                                {"Sine", "Golden Sine TS", "Golden Sine SG", "Golden Sine GS",
                                 "Sine Half", "Gold. Triangle", "Gold. Square"}},
                      EnumTexts{kBeats, {"Binaural", "Monaural"}}, EnumTexts{kPlayAnyway, kNoYes},
                      EnumTexts{kLfo1Target, kTargetTexts}, EnumTexts{kLfo1Wave, kLfoWaveTexts},
                      EnumTexts{kLfo1Sync, kNoYes}, EnumTexts{kLfo1RateDiv, kDivisionTexts},
                      EnumTexts{kLfo2Target, kTargetTexts}, EnumTexts{kLfo2Wave, kLfoWaveTexts},
                      EnumTexts{kLfo2Sync, kNoYes}, EnumTexts{kLfo2RateDiv, kDivisionTexts},
                      EnumTexts{kLfosSync, kNoYes}),
    [](const ::testing::TestParamInfo<EnumTexts>& p) {
        return "Index" + std::to_string(p.param.index);
    });

// Reads a division text ("1/16T", "4/1D") as a length in whole notes.
double WholeNotesOf(const std::string& text)
{
    const double numerator = std::strtod(text.c_str(), nullptr);
    const double denominator = std::strtod(text.c_str() + text.find('/') + 1, nullptr);
    double length = numerator / denominator;
    if (text.back() == 'T') {
        length *= 2.0 / 3.0;
    } else if (text.back() == 'D') {
        length *= 1.5;
    }
    return length;
}

TEST(ToneloomParameters, DivisionLengthsAgreeWithTheirTextsAndRiseStrictly)
{
    TestToneloom fx;
    const IParamRecord* p = fx.ParamAt(kLfo1RateDiv);
    double previous = 0.0;
    for (int d = 0; d < kNumRateDivisions; ++d) {
        const double length = CLS_TONELOOM::DivisionLength(d, 1.0 / 32.0);
        EXPECT_NEAR(length, WholeNotesOf(p->ValueTextFor(d)), 1e-6) << p->ValueTextFor(d);
        EXPECT_GT(length, previous);
        previous = length;
    }
    EXPECT_FLOAT_EQ(CLS_TONELOOM::DivisionLength(0, 1.0 / 32.0), 1.0f / 32.0f);
    EXPECT_FLOAT_EQ(CLS_TONELOOM::DivisionLength(15, 1.0 / 32.0), 1.0f);
    EXPECT_FLOAT_EQ(CLS_TONELOOM::DivisionLength(30, 1.0 / 32.0), 32.0f);
}

// Records the band label's texts.
class RecordingLabel : public IBandLabelSink
{
public:
    void TakeEditedText(const char* text) override { texts.emplace_back(text); }
    std::vector<std::string> texts;
};

TEST(ToneloomParameters, BaseFreqReactsInTenthsOfAHertz)
{
    // 200.04 Hz rounds to the same key as 200 Hz and 200.06 Hz to 200.1 Hz;
    // the tone follows the key, so the pitch steps by 0.1 Hz.
    for (const auto& [setHz, heardHz] : {std::pair{200.04, 200.0}, std::pair{200.06, 200.1}}) {
        Rig rig;
        rig.UsePlainSine();
        rig.Set(kBaseFreq, setHz);
        const Stereo out = rig.Render(48000 * 10);
        EXPECT_NEAR(FrequencyHz(out.left, 4800, out.Frames() - 4800, rig.SampleRate()), heardHz,
                    0.002)
            << "set to " << setHz;
    }
}

TEST(ToneloomParameters, HandlerIgnoresValuesWithAnUnchangedKey)
{
    Rig rig;
    RecordingLabel label;
    rig.fx.SetBandLabelSink(&label);
    label.texts.clear();
    rig.Set(kBinaural, 4.004); // key 400, as the default 4 Hz: no reaction
    EXPECT_TRUE(label.texts.empty());
    rig.Set(kBinaural, 4.006); // key 401
    EXPECT_EQ(label.texts, std::vector<std::string>{"THETA"});
    rig.Set(kBinaural, 4.01); // key 401 again
    EXPECT_EQ(label.texts.size(), 1u);
}

TEST(ToneloomParameters, RendererRunsOnlyOnceEveryIndexWasHandled)
{
    TestToneloom fx;
    fx.UseSampleRate(48000.0);
    fx.ChangeBlockSize(64);
    fx.SetOutputsConnected(0, 2, true);
    std::vector<double> left(64, 7.0);
    std::vector<double> right(64, 7.0);
    double* outs[2] = {left.data(), right.data()};
    auto run = [&] {
        IEffectBase::InstanceLock lock(fx.Mutex());
        fx.BindOutputs(0, 2, outs);
        fx.RunProcess(64);
    };
    for (int i = 0; i < kNumParams - 1; ++i) {
        fx.ParameterChanged(i);
    }
    // A repeated index does not count twice.
    fx.ParameterChanged(kBaseFreq);
    run();
    EXPECT_FALSE(fx.ProcessingEnabled());
    EXPECT_EQ(left[10], 7.0);
    fx.ParameterChanged(kLfosSync);
    EXPECT_TRUE(fx.ProcessingEnabled());
    run();
    EXPECT_NE(left[10], 7.0);
}

TEST(ToneloomParameters, OutOfRangeIndicesAreIgnored)
{
    Rig rig;
    rig.fx.ParameterChanged(-1);
    rig.fx.ParameterChanged(kNumParams);
    rig.fx.ParameterChanged(1000);
    rig.fx.SetParameterFromEngine(kNumParams, 1.0);
    EXPECT_TRUE(rig.fx.edits.empty());
    const Stereo out = rig.Render(512);
    EXPECT_GT(Peak(out.left, 0, 512), 0.0);
}

struct BandCase
{
    float beatHz;
    bool monaural;
    const char* text;
};

void PrintTo(const BandCase& c, std::ostream* os)
{
    *os << c.beatHz << " Hz " << (c.monaural ? "monaural" : "binaural") << ": " << c.text;
}

class BandNames : public ::testing::TestWithParam<BandCase>
{
};

TEST_P(BandNames, FollowTheBandBorders)
{
    EXPECT_STREQ(BandNameFor(GetParam().beatHz, GetParam().monaural), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Toneloom, BandNames,
    ::testing::Values(BandCase{0.0f, false, "Binaural Off"}, BandCase{0.0f, true, "Monaural Off"},
                      BandCase{0.01f, false, "EPSILON"}, BandCase{0.49f, true, "EPSILON"},
                      BandCase{0.5f, false, "DELTA"}, BandCase{3.99f, false, "DELTA"},
                      BandCase{4.0f, false, "THETA"}, BandCase{7.99f, false, "THETA"},
                      BandCase{8.0f, false, "ALPHA"}, BandCase{13.99f, false, "ALPHA"},
                      BandCase{14.0f, false, "BETA"}, BandCase{29.99f, false, "BETA"},
                      BandCase{30.0f, false, "GAMMA"}, BandCase{99.99f, false, "GAMMA"},
                      BandCase{100.0f, false, "LAMBDA"}, BandCase{512.0f, true, "LAMBDA"},
                      BandCase{-1.0f, false, "DELTA"}),
    [](const ::testing::TestParamInfo<BandCase>& p) {
        // 0.49 Hz binaural: "Binaural0_49Hz"; -1 Hz: "BinauralMinus1Hz".
        std::string hz = std::to_string(std::fabs(p.param.beatHz));
        hz.erase(hz.find_last_not_of('0') + 1);
        if (hz.back() == '.') {
            hz.pop_back();
        }
        for (char& ch : hz) {
            ch = ch == '.' ? '_' : ch;
        }
        return std::string(p.param.monaural ? "Monaural" : "Binaural") +
               (p.param.beatHz < 0.0f ? "Minus" : "") + hz + "Hz";
    });

TEST(ToneloomParameters, BandLabelFollowsBinauralAndBeats)
{
    Rig rig;
    EXPECT_STREQ(rig.fx.BandText(), "THETA"); // the default 4 Hz
    RecordingLabel label;
    rig.fx.SetBandLabelSink(&label);
    EXPECT_EQ(label.texts, std::vector<std::string>{"THETA"});
    rig.Set(kBeats, kBeatsMonaural);
    rig.Set(kBinaural, 0.0);
    EXPECT_EQ(label.texts.back(), "Monaural Off");
    rig.Set(kBeats, kBeatsBinaural);
    EXPECT_EQ(label.texts.back(), "Binaural Off");
    rig.Set(kBinaural, 0.49);
    EXPECT_EQ(label.texts.back(), "EPSILON");
    rig.Set(kBinaural, 0.5);
    EXPECT_EQ(label.texts.back(), "DELTA");
    rig.Set(kBinaural, 100.0);
    EXPECT_EQ(label.texts.back(), "LAMBDA");
    // A mode change with a beat keeps the band.
    const size_t shown = label.texts.size();
    rig.Set(kBeats, kBeatsMonaural);
    EXPECT_EQ(label.texts.size(), shown);
    EXPECT_STREQ(rig.fx.BandText(), "LAMBDA");
    rig.fx.SetBandLabelSink(nullptr);
}

TEST(ToneloomParameters, EngineChangeWithoutEditorNotifiesTheHostAndReacts)
{
    Rig rig;
    rig.fx.SetParameterFromEngine(kBinaural, 10.0);
    EXPECT_DOUBLE_EQ(rig.Value(kBinaural), 10.0);
    EXPECT_STREQ(rig.fx.BandText(), "ALPHA");
    ASSERT_EQ(rig.fx.edits.size(), 3u);
    EXPECT_EQ(rig.fx.edits[0].kind, EditEvent::kBegin);
    EXPECT_EQ(rig.fx.edits[1].kind, EditEvent::kValue);
    EXPECT_NEAR(rig.fx.edits[1].normalised, 10.0 / 512.0, 1e-12);
    EXPECT_EQ(rig.fx.edits[2].kind, EditEvent::kEnd);
    for (const EditEvent& e : rig.fx.edits) {
        EXPECT_EQ(e.index, kBinaural);
    }
    // Values beyond the range are limited to it.
    rig.fx.SetParameterFromEngine(kVolume, 150.0);
    EXPECT_DOUBLE_EQ(rig.Value(kVolume), 100.0);
    rig.fx.SetParameterFromEngine(kFade, -5.0);
    EXPECT_DOUBLE_EQ(rig.Value(kFade), 1.0);
}

// An editor that records what the engine asks of it.
class RecordingEditor : public IEditorLink
{
public:
    explicit RecordingEditor(std::vector<std::string>* log) : log(log) {}
    void PushParamToControls(int, double, bool) override {}
    void PushUserValueToControls(int index, double normalised) override
    {
        char text[64];
        std::snprintf(text, sizeof text, "user %d %.6f", index, normalised);
        log->emplace_back(text);
    }
    void SetControlValueAt(int control, double normalised) override
    {
        char text[64];
        std::snprintf(text, sizeof text, "control %d %.6f", control, normalised);
        log->emplace_back(text);
    }
    void SetParamControlsHidden(int index, bool hidden) override
    {
        log->push_back("hidden " + std::to_string(index) + (hidden ? " 1" : " 0"));
    }
    void CreateSurface() override {}
    int FrameRate() const override { return 24; }
    void StartGestureTimer(int) override {}
    void StopGestureTimer() override {}

private:
    std::vector<std::string>* log;
};

TEST(ToneloomParameters, ReactionsReachTheEditorControls)
{
    Rig rig;
    std::vector<std::string> log;
    rig.fx.AttachEditor(new RecordingEditor(&log)); // owned by the plug-in
    rig.fx.SetWavePictureControl(6);
    rig.Set(kWave, kWaveGoldenSineGS);
    EXPECT_EQ(log, std::vector<std::string>{"control 6 0.500000"});

    log.clear();
    rig.Set(kLfo1Sync, 0); // automation: switch the visible rate control only
    EXPECT_EQ(log, (std::vector<std::string>{"hidden 11 1", "hidden 12 0"}));
    log.clear();
    rig.Set(kLfo2Sync, 0);
    rig.Set(kLfo2Sync, 1);
    EXPECT_EQ(log, (std::vector<std::string>{"hidden 18 1", "hidden 19 0", "hidden 18 0",
                                             "hidden 19 1"}));

    // With an editor, an engine change goes through the bound controls.
    log.clear();
    rig.fx.SetParameterFromEngine(kVolume, 50.0);
    EXPECT_EQ(log, std::vector<std::string>{"user 7 0.500000"});
    ASSERT_EQ(rig.fx.edits.size(), 2u);
    EXPECT_EQ(rig.fx.edits[0].kind, EditEvent::kBegin);
    EXPECT_EQ(rig.fx.edits[1].kind, EditEvent::kEnd);
}

} // namespace
