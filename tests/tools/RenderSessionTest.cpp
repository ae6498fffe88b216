// The renderer's host side: parameter settings as a user types them, preset
// lookup, and exported preset files that load back into the plug-in.
#include "RenderSession.h"
#include "AudioFileWriter.h"
#include "ParameterCatalogue.h"
#include "ProgressBar.h"
#include "ToneRange.h"

#include "PluginInstance.h"

#include "base/source/fobject.h"
#include "public.sdk/source/vst/vstpresetfile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

using namespace toneloom;

namespace {

constexpr int kSampleRate = 48000; // Hz
constexpr int kBlock = 512;        // samples

class RenderSessionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(session.Open(TONELOOM_BUNDLE_PATH, kSampleRate, kBlock, &error)) << error;
    }

    // Resolves `assignment`; the ID and normalised value, or the error.
    std::string Resolve(const std::string& assignment, Steinberg::Vst::ParamID* id = nullptr,
                        double* normalised = nullptr)
    {
        Steinberg::Vst::ParamID foundId = 9999;
        double value = -1.0;
        std::string error;
        if (!session.Parameters().Resolve(assignment, &foundId, &value, &error)) {
            return error;
        }
        if (id != nullptr) {
            *id = foundId;
        }
        if (normalised != nullptr) {
            *normalised = value;
        }
        return "";
    }

    RenderSession session;
};

} // namespace

TEST_F(RenderSessionTest, SettingsTakeValueTextsOrNumbersInTheParametersUnits)
{
    Steinberg::Vst::ParamID id = 0;
    double n = 0.0;
    ASSERT_EQ(Resolve("Base Freq=432", &id, &n), "");
    EXPECT_EQ(id, 0u);
    EXPECT_NEAR(n, std::sqrt((432.0 - 20.0) / 19980.0), 1e-12); // "Base Freq" has shape 2
    ASSERT_EQ(Resolve(" Base Freq = 432 Hz ", &id, &n), "");
    EXPECT_NEAR(n, std::sqrt((432.0 - 20.0) / 19980.0), 1e-12);

    ASSERT_EQ(Resolve("Beats=Monaural", &id, &n), "");
    EXPECT_EQ(id, 4u);
    EXPECT_EQ(n, 1.0);
    ASSERT_EQ(Resolve("play anyway=yes", &id, &n), ""); // case is forgiven when unambiguous
    EXPECT_EQ(id, 5u);
    EXPECT_EQ(n, 1.0);
    ASSERT_EQ(Resolve("Wave=Gold. Square", &id, &n), "");
    EXPECT_EQ(n, 1.0);
    ASSERT_EQ(Resolve("Wave=3", &id, &n), ""); // a list also takes its index
    EXPECT_EQ(n, 0.5);
    ASSERT_EQ(Resolve("Binaural Pan=-100", &id, &n), "");
    EXPECT_EQ(n, 0.0);

    // Two parameters are named "LFO1 Rate": a division text picks the tempo
    // division, a number the milliseconds.
    ASSERT_EQ(Resolve("LFO1 Rate=1/4", &id, &n), "");
    EXPECT_EQ(id, 11u);
    EXPECT_DOUBLE_EQ(n, 9.0 / 30.0);
    ASSERT_EQ(Resolve("LFO1 Rate=500", &id, &n), "");
    EXPECT_EQ(id, 12u);
    ASSERT_EQ(Resolve("LFO2 Rate=500 ms", &id, &n), "");
    EXPECT_EQ(id, 19u);
}

TEST_F(RenderSessionTest, BadSettingsAreRefusedWithAReason)
{
    EXPECT_NE(Resolve("Base Freq=19.9").find("20 to 20000 Hz"), std::string::npos);
    EXPECT_NE(Resolve("Base Freq=nan").find("cannot be"), std::string::npos);
    EXPECT_NE(Resolve("Base Freq=1e999").find("cannot be"), std::string::npos);
    EXPECT_NE(Resolve("Beats=Stereo").find("Binaural, Monaural"), std::string::npos);
    EXPECT_NE(Resolve("Fade=0").find("1 to 90000 ms"), std::string::npos);
    EXPECT_NE(Resolve("Presets=3").find("unknown parameter"), std::string::npos);
    EXPECT_NE(Resolve("=3").find("unknown parameter"), std::string::npos);
}

TEST_F(RenderSessionTest, PresetsAreFoundByNameOrSlot)
{
    int slot = -1;
    std::string error;
    ASSERT_EQ(session.PresetNames().size(), 150u);
    EXPECT_TRUE(session.FindPreset("Golden Square", &slot, &error));
    EXPECT_EQ(slot, 11);
    EXPECT_TRUE(session.FindPreset("149", &slot, &error));
    EXPECT_EQ(slot, 149);
    EXPECT_FALSE(session.FindPreset("-1", &slot, &error));
    EXPECT_FALSE(session.FindPreset("golden square", &slot, &error)); // names are exact
}

TEST_F(RenderSessionTest, AnExportedPresetLoadsBackIntoAFreshInstance)
{
    std::string error;
    ASSERT_TRUE(session.SelectPreset(121, &error)) << error; // "Solfeggio UT - 396 Hz LFO"
    std::vector<uint8_t> selected;
    ASSERT_TRUE(session.SaveState(&selected));
    ASSERT_EQ(selected.size(), 184u);
    const std::string path = "/tmp/toneloom-export-" + std::to_string(getpid()) + ".vstpreset";
    ASSERT_TRUE(session.ExportPreset(path, &error)) << error;

    RenderSession fresh;
    ASSERT_TRUE(fresh.Open(TONELOOM_BUNDLE_PATH, kSampleRate, kBlock, &error)) << error;
    std::vector<uint8_t> before;
    fresh.SaveState(&before);
    EXPECT_NE(before, selected);
    ASSERT_TRUE(fresh.LoadPresetFile(path, &error)) << error;
    std::vector<uint8_t> after;
    fresh.SaveState(&after);
    EXPECT_EQ(after, selected);
    std::remove(path.c_str());

    EXPECT_FALSE(fresh.LoadPresetFile("/tmp/does-not-exist.vstpreset", &error));
}

TEST_F(RenderSessionTest, RendersTheBinauralPairIntoTheWriter)
{
    std::string error;
    const std::string path = "/tmp/toneloom-session-" + std::to_string(getpid()) + ".wav";
    AudioFileWriter writer;
    ASSERT_TRUE(writer.Open(path, kSampleRate, 2, SampleFormat::kFloat32, &error)) << error;
    ProgressBar quiet(1, false);
    RenderTimeline timeline;
    timeline.seconds = 0.5;
    ASSERT_TRUE(session.Render(timeline, &writer, &quiet, &error)) << error;
    EXPECT_EQ(writer.FramesWritten(), 24000);
    // Default volume 90 %: a gain of about 0.477 on each ear's oscillator.
    EXPECT_NEAR(writer.Peak(), 0.477f, 0.01f);
    ASSERT_TRUE(writer.Commit(&error)) << error;
    std::remove(path.c_str());
}

TEST_F(RenderSessionTest, ToneRangeCountsTheLfoSwingOnEitherFrequency)
{
    std::string error;
    const auto set = [&](const std::string& assignment) {
        Steinberg::Vst::ParamID id = 0;
        double normalised = 0.0;
        ASSERT_TRUE(session.Parameters().Resolve(assignment, &id, &normalised, &error)) << error;
        ASSERT_TRUE(session.ApplyChange(id, normalised, &error)) << error;
    };
    set("Base Freq=3000");
    EXPECT_NEAR(MeasureToneRange(session.Parameters()).highestHz, 3004.0, 1e-9);

    // Depth 60 % on "Base Freq": 19980 Hz x 0.6^4 / 2 = 1294.7 Hz above it.
    set("LFO1 Target=Base Freq");
    set("LFO1 Depth=60");
    ToneRange range = MeasureToneRange(session.Parameters());
    EXPECT_NEAR(range.highestHz, 3004.0 + 1294.704, 1e-3);
    EXPECT_TRUE(range.swung);
    EXPECT_NE(FoldBackProblem(range, 8000).find("with the LFO swing reach 4298.7 Hz"),
              std::string::npos)
        << FoldBackProblem(range, 8000);
    EXPECT_EQ(FoldBackProblem(range, 8800), "");

    // LFO 2 on the same target gives way; on "Binaural" at full depth it
    // swings the offset over its whole 0..512 Hz.
    set("LFO2 Target=Base Freq");
    set("LFO2 Depth=100");
    EXPECT_NEAR(MeasureToneRange(session.Parameters()).highestHz, 3004.0 + 1294.704, 1e-3);
    set("LFO2 Target=Binaural");
    EXPECT_NEAR(MeasureToneRange(session.Parameters()).highestHz, 3000.0 + 1294.704 + 512.0, 1e-3);
}
