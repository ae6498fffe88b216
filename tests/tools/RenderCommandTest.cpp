// toneloom-render as a user runs it: options, files and error messages.
#include <gtest/gtest.h>

#include <sndfile.h>

#include "AudioFileWriter.h"
#include "CommandTestSupport.h"
#include "ToneloomVersion.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using toneloom::test::Outcome;
using toneloom::test::Quote;
using toneloom::test::Slurp;

class RenderCommand : public toneloom::test::CommandTest
{
protected:
    RenderCommand() : CommandTest("toneloom-render-test") {}

    // The renderer (or a copy of it at `program`) with these arguments.
    Outcome Run(const std::vector<std::string>& args,
                const std::string& program = TONELOOM_RENDER_PATH)
    {
        return RunCommand((home.empty() ? "" : "HOME=" + Quote(home) + " ") + Quote(program), args);
    }

    std::string home; // the user's home for Run, when not ""
};

// Frames, channels and rate of a sound file, or frames -1 if it does not open.
SF_INFO Inspect(const std::string& path)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        info.frames = -1;
    } else {
        sf_close(file);
    }
    return info;
}

void ExpectOneLineError(const Outcome& outcome, const std::string& mentions)
{
    EXPECT_NE(outcome.exitCode, 0);
    EXPECT_EQ(outcome.err.find("toneloom-render: "), 0u) << outcome.err;
    EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
    EXPECT_NE(outcome.err.find(mentions), std::string::npos) << outcome.err;
}

} // namespace

TEST_F(RenderCommand, RendersAPresetWithSettingsToTheRequestedFormat)
{
    const std::string wav = dir + "/healing.wav";
    Outcome o =
        Run({"--preset", "Healing - 432 Hz (Natural, harmonic intonation of nature)", "--set",
             "Volume=50", "--seconds", "0.5", "--sample-rate", "44100", "--out", wav});
    ASSERT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.out, wav + "\n");
    EXPECT_TRUE(o.err.empty()) << o.err; // stderr is no terminal: no progress bar
    SF_INFO info = Inspect(wav);
    EXPECT_EQ(info.frames, 22050);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.samplerate, 44100);
    // RF64 brought back to RIFF under 4 GiB: a WAVE file with the extensible
    // format header.
    EXPECT_EQ(info.format, SF_FORMAT_WAVEX | SF_FORMAT_FLOAT);

    const std::string flac = dir + "/slot.flac";
    o = Run({"--preset", "7", "--seconds", "0.25", "--block", "100", "--out", flac});
    ASSERT_EQ(o.exitCode, 0) << o.err;
    info = Inspect(flac);
    EXPECT_EQ(info.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_24); // FLAC holds integers
    EXPECT_EQ(info.frames, 12000);

    const std::string pcm = dir + "/short.wav";
    o = Run({"--format", "int16", "--transport", "stopped", "--tempo", "90", "--seconds", "0.1",
             "--out", pcm});
    ASSERT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(Inspect(pcm).format, SF_FORMAT_WAVEX | SF_FORMAT_PCM_16);
}

TEST_F(RenderCommand, WarnsWhenIntegerSamplesWouldClip)
{
    const std::string wav = dir + "/loud.wav";
    const Outcome o = Run({"--set", "Beats=Monaural", "--set", "Volume=100", "--set", "Binaural=0",
                           "--format", "int24", "--seconds", "0.2", "--out", wav});
    ASSERT_EQ(o.exitCode, 0) << o.err;
    EXPECT_NE(o.err.find("peaks at 1.99"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("clips"), std::string::npos) << o.err;

    // Float files keep the peak and say nothing.
    const Outcome quiet = Run({"--set", "Beats=Monaural", "--set", "Volume=100", "--seconds", "0.2",
                               "--out", dir + "/float.wav"});
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_TRUE(quiet.err.empty()) << quiet.err;
}

TEST_F(RenderCommand, BadInputGivesOneLineAndLeavesNoFile)
{
    const std::string wav = dir + "/never.wav";
    ExpectOneLineError(Run({"--preset", "No Such Preset", "--out", wav}), "unknown preset");
    ExpectOneLineError(Run({"--preset", "150", "--out", wav}), "no preset slot 150");
    ExpectOneLineError(Run({"--set", "Loudness=3", "--out", wav}), "unknown parameter");
    ExpectOneLineError(Run({"--set", "Volume=loud", "--out", wav}), "\"Volume\" cannot be 'loud'");
    ExpectOneLineError(Run({"--set", "Volume=150", "--out", wav}), "0 to 100");
    ExpectOneLineError(Run({"--set", "LFO1 Rate=20", "--out", wav}), "60 to 64000 ms");
    ExpectOneLineError(Run({"--set", "Volume", "--out", wav}), "NAME=VALUE");
    ExpectOneLineError(Run({"--plugin", dir + "/Missing.vst3", "--out", wav}),
                       "cannot load the plug-in");
    ExpectOneLineError(Run({"--seconds", "0", "--out", wav}), "--seconds");
    ExpectOneLineError(Run({"--transport", "sideways", "--out", wav}), "--transport");
    ExpectOneLineError(Run({"--out", dir + "/tone.mp3"}), ".wav, .flac or .aiff");
    ExpectOneLineError(Run({"--format", "float32", "--out", dir + "/tone.flac"}), "FLAC");
    ExpectOneLineError(Run({"--seconds", "1"}), "--out");
    ExpectOneLineError(Run({"--seconds", "0.1", "--out", dir + "/no/such/folder/tone.wav"}),
                       "cannot write");
    EXPECT_TRUE(Files().empty()) << Files().front();
}

// Copied where the package puts it, under another root: without --plugin
// the renderer finds <root>/usr/lib/vst3 from <root>/usr/bin; with no bundle
// anywhere it says where it looked, on one line.
TEST_F(RenderCommand, WithoutPluginFindsTheInstalledBundleOrSaysWhereItLooked)
{
    const std::string bin = dir + "/root/usr/bin";
    const std::string vst3 = dir + "/root/usr/lib/vst3";
    ASSERT_EQ(std::system(("mkdir -p " + Quote(bin) + " " + Quote(vst3) + " && cp " +
                           Quote(TONELOOM_RENDER_PATH) + " " + Quote(bin))
                              .c_str()),
              0);
    const std::string program = bin + "/toneloom-render";
    home = dir + "/home";
    const bool systemWide = access("/usr/lib/vst3/Toneloom.vst3", F_OK) == 0 ||
                            access("/usr/local/lib/vst3/Toneloom.vst3", F_OK) == 0;
    if (!systemWide) {
        const Outcome missing = Run({"--list-presets"}, program);
        ExpectOneLineError(missing, "no Toneloom.vst3 at " + bin + "/Toneloom.vst3, " + dir +
                                        "/root/usr/lib/vst3/Toneloom.vst3, " + home +
                                        "/.vst3/Toneloom.vst3, /usr/lib/vst3/Toneloom.vst3 or "
                                        "/usr/local/lib/vst3/Toneloom.vst3: name the bundle "
                                        "with --plugin PATH");
        EXPECT_EQ(missing.exitCode, 1);
    }
    ASSERT_EQ(symlink(TONELOOM_BUNDLE_PATH, (vst3 + "/Toneloom.vst3").c_str()), 0);
    const Outcome found = Run({"--list-presets"}, program);
    EXPECT_EQ(found.exitCode, 0) << found.err;
    EXPECT_EQ(std::count(found.out.begin(), found.out.end(), '\n'), 150);
}

TEST_F(RenderCommand, ListsPresetsAndParameters)
{
    Outcome presets = Run({"--list-presets"});
    ASSERT_EQ(presets.exitCode, 0);
    EXPECT_NE(presets.out.find("  0  ---- default ----\n"), std::string::npos);
    EXPECT_NE(presets.out.find("139  Solfeggio - 936 Hz Hz LFO\n"), std::string::npos);
    EXPECT_EQ(std::count(presets.out.begin(), presets.out.end(), '\n'), 150);

    Outcome params = Run({"--list-params"});
    ASSERT_EQ(params.exitCode, 0);
    EXPECT_NE(params.out.find("Base Freq     20 .. 20000 Hz, default 200.0 Hz"), std::string::npos)
        << params.out;
    EXPECT_NE(params.out.find("values: Binaural, Monaural"), std::string::npos);
    EXPECT_EQ(std::count(params.out.begin(), params.out.end(), '\n'), 23);
}

TEST_F(RenderCommand, PrintsItsVersion)
{
    const Outcome o = Run({"--version"});
    EXPECT_EQ(o.exitCode, 0);
    EXPECT_EQ(o.out, std::string("toneloom-render ") + TONELOOM_VERSION_STRING + "\n");
}

TEST_F(RenderCommand, ExportsEveryFactoryPresetAsAFile)
{
    const std::string folder = dir + "/presets";
    const Outcome o = Run({"--export-presets", folder});
    ASSERT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.out, "wrote 140 presets to " + folder + "\n");
    struct stat info
    {
    };
    EXPECT_EQ(stat((folder + "/Solfeggio - 936 Hz Hz LFO.vstpreset").c_str(), &info), 0);
    EXPECT_EQ(stat((folder + "/---- default ----.vstpreset").c_str(), &info), 0);
}

// A long render stopped by Ctrl-C (SIGINT) or a request to end (SIGTERM).
struct StopCase
{
    const char* name;
    int signal;
    int exitCode;
};

class RenderStopped : public RenderCommand, public ::testing::WithParamInterface<StopCase>
{
};

TEST_P(RenderStopped, RemovesThePartialFileAndExitsAsTheSignalSays)
{
    const std::string wav = dir + "/night.wav";
    const std::string errPath = dir + "/../" + (dir.substr(dir.rfind('/') + 1) + "-stderr.txt");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        execl(TONELOOM_RENDER_PATH, TONELOOM_RENDER_PATH, "--seconds", "36000", "--out",
              wav.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    // Wait until the render is under way: its hidden file has samples in it.
    bool writing = false;
    for (int tries = 0; tries < 600 && !writing; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        for (const std::string& name : Files()) {
            struct stat info
            {
            };
            writing =
                writing || (name.find(".partial-") != std::string::npos &&
                            stat((dir + "/" + name).c_str(), &info) == 0 && info.st_size > 1000000);
        }
    }
    EXPECT_TRUE(writing) << "no partial file grew";
    kill(child, GetParam().signal);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), GetParam().exitCode);
    EXPECT_EQ(Slurp(errPath), "toneloom-render: interrupted\n");
    std::remove(errPath.c_str());
    EXPECT_TRUE(Files().empty()) << Files().front();
}

INSTANTIATE_TEST_SUITE_P(Signals, RenderStopped,
                         ::testing::Values(StopCase{"CtrlC", SIGINT, 130},
                                           StopCase{"Terminate", SIGTERM, 143}),
                         [](const ::testing::TestParamInfo<StopCase>& stop) {
                             return std::string(stop.param.name);
                         });

TEST_F(RenderCommand, WavIsAskedForAsRf64AndStaysPlainWavUnderFourGiB)
{
    // The switch to RF64 itself happens past 4 GiB, inside libsndfile: what
    // is checked here is that it is asked for, and that the downgrade keeps
    // small files plain RIFF/WAVE.
    int format = 0;
    std::string error;
    ASSERT_TRUE(toneloom::AudioFileWriter::ContainerFor("long.WAV", toneloom::SampleFormat::kInt16,
                                                        &format, &error));
    EXPECT_EQ(format, SF_FORMAT_RF64 | SF_FORMAT_PCM_16);

    const std::string wav = dir + "/short.wav";
    ASSERT_EQ(Run({"--seconds", "0.5", "--out", wav}).exitCode, 0);
    const std::string bytes = Slurp(wav);
    ASSERT_GT(bytes.size(), 12u);
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(bytes.substr(8, 4), "WAVE");
    const SF_INFO info = Inspect(wav);
    EXPECT_EQ(info.frames, 24000);
    EXPECT_EQ(info.format & SF_FORMAT_SUBMASK, SF_FORMAT_FLOAT);
}

TEST_F(RenderCommand, RefusesAnAiffPastItsSizeBeforeRendering)
{
    // 4 hours of stereo float at 48 kHz: 5.5 GB.
    const Outcome o = Run({"--seconds", "14400", "--out", dir + "/long.aiff"});
    ExpectOneLineError(o, "use a .wav or .flac name");
    EXPECT_NE(o.err.find("5.5 GB"), std::string::npos) << o.err;
    EXPECT_TRUE(Files().empty()) << Files().front();
    // The same length fits 16-bit samples in 2.8 GB; not rendered here.
    std::string error;
    EXPECT_TRUE(toneloom::AudioFileWriter::Holds("long.aiff", toneloom::SampleFormat::kInt16, 2,
                                                 14400LL * 48000, &error));
}

TEST_F(RenderCommand, WarnsOrWithStrictRefusesATonePastHalfTheSampleRate)
{
    const std::string wav = dir + "/folded.wav";
    const Outcome warned =
        Run({"--sample-rate", "8000", "--set", "Base Freq=5000", "--seconds", "0.1", "--out", wav});
    ASSERT_EQ(warned.exitCode, 0) << warned.err;
    EXPECT_NE(warned.err.find("toneloom-render: warning: \"Base Freq\" 5000 Hz + \"Binaural\" 4 Hz "
                              "reach 5004 Hz, at or above half the sample rate (4000 Hz)"),
              std::string::npos)
        << warned.err;
    EXPECT_EQ(Inspect(wav).frames, 800);
    std::remove(wav.c_str());

    const Outcome refused = Run({"--strict", "--sample-rate", "8000", "--set", "Base Freq=5000",
                                 "--seconds", "0.1", "--out", wav});
    ExpectOneLineError(refused, "reach 5004 Hz");
    EXPECT_TRUE(Files().empty()) << Files().front();

    // Below the limit nothing is said, --strict or not.
    const Outcome fine = Run({"--strict", "--sample-rate", "8000", "--set", "Base Freq=3900",
                              "--set", "Binaural=99.99", "--seconds", "0.1", "--out", wav});
    EXPECT_EQ(fine.exitCode, 0);
    EXPECT_TRUE(fine.err.empty()) << fine.err;
}

TEST_F(RenderCommand, EqualSettingsGiveEqualBytes)
{
    // An LFO preset, every container; each rendered twice.
    for (const char* name : {"a.wav", "a.aiff", "a.flac"}) {
        const std::string first = dir + "/1" + name;
        const std::string second = dir + "/2" + name;
        for (const std::string& path : {first, second}) {
            ASSERT_EQ(Run({"--preset", "Solfeggio MI - 528 Hz LFO", "--seconds", "2", "--block",
                           "333", "--out", path})
                          .exitCode,
                      0);
        }
        const std::string a = Slurp(first);
        EXPECT_GT(a.size(), 100000u) << name;
        EXPECT_TRUE(a == Slurp(second)) << name << " differs between two renders";
        // Renders a second apart would differ by a PEAK chunk's time stamp:
        // there must be none.
        EXPECT_EQ(a.substr(0, 4096).find("PEAK"), std::string::npos) << name;
    }
}

namespace {

// Every frame of a sound file, interleaved; empty if it does not open.
std::vector<float> ReadSamples(const std::string& path, SF_INFO* info)
{
    *info = SF_INFO{};
    std::vector<float> samples;
    if (SNDFILE* file = sf_open(path.c_str(), SFM_READ, info)) {
        samples.resize(static_cast<size_t>(info->frames * info->channels));
        sf_readf_float(file, samples.data(), info->frames);
        sf_close(file);
    }
    return samples;
}

// The strongest frequency (Hz) of `channel` in the window of 2^15 frames
// centred on `seconds`: a Hann-windowed FFT, its peak refined by the
// parabola through the three bins around it.
double PeakHz(const std::vector<float>& interleaved, int channel, double seconds, int rate)
{
    constexpr int kSize = 1 << 15;
    std::vector<double> re(kSize), im(kSize, 0.0);
    const auto first = static_cast<ptrdiff_t>(seconds * rate) - kSize / 2;
    for (int i = 0; i < kSize; ++i) {
        const double hann = 0.5 - 0.5 * std::cos(2.0 * M_PI * i / (kSize - 1));
        re[i] = hann * interleaved[static_cast<size_t>((first + i) * 2 + channel)];
    }
    for (int i = 1, j = 0; i < kSize; ++i) { // bit reversal
        int bit = kSize >> 1;
        for (; (j & bit) != 0; bit >>= 1) {
            j ^= bit;
        }
        j ^= bit;
        if (i < j) {
            std::swap(re[i], re[j]);
            std::swap(im[i], im[j]);
        }
    }
    for (int length = 2; length <= kSize; length <<= 1) {
        const double angle = -2.0 * M_PI / length;
        for (int start = 0; start < kSize; start += length) {
            for (int k = 0; k < length / 2; ++k) {
                const double wr = std::cos(angle * k), wi = std::sin(angle * k);
                const int a = start + k, b = a + length / 2;
                const double tr = re[b] * wr - im[b] * wi, ti = re[b] * wi + im[b] * wr;
                re[b] = re[a] - tr;
                im[b] = im[a] - ti;
                re[a] += tr;
                im[a] += ti;
            }
        }
    }
    int peak = 1;
    std::vector<double> magnitude(kSize / 2);
    for (int k = 0; k < kSize / 2; ++k) {
        magnitude[k] = std::log(std::hypot(re[k], im[k]) + 1e-30);
        if (k > 1 && magnitude[k] > magnitude[peak]) {
            peak = k;
        }
    }
    const double a = magnitude[peak - 1], b = magnitude[peak], c = magnitude[peak + 1];
    const double offset = 0.5 * (a - c) / (a - 2.0 * b + c);
    return (peak + offset) * rate / kSize;
}

} // namespace

TEST_F(RenderCommand, AScheduledStepLandsOnItsSample)
{
    // Blocks of 4096; the step at 0.2 s (frame 9600) falls inside the third.
    const std::string plain = dir + "/plain.wav";
    const std::string stepped = dir + "/stepped.wav";
    ASSERT_EQ(
        Run({"--set", "Fade=1", "--block", "4096", "--seconds", "0.5", "--out", plain}).exitCode,
        0);
    const std::string schedule = dir + "/step.txt";
    FILE* file = std::fopen(schedule.c_str(), "w");
    std::fputs("0 Volume=90\n0.2 Wave=Sine\n", file);
    std::fclose(file);
    const Outcome o = Run({"--set", "Fade=1", "--block", "4096", "--schedule", schedule,
                           "--seconds", "0.5", "--out", stepped});
    ASSERT_EQ(o.exitCode, 0) << o.err;
    SF_INFO info{};
    const std::vector<float> a = ReadSamples(plain, &info);
    const std::vector<float> b = ReadSamples(stepped, &info);
    ASSERT_EQ(a.size(), b.size());
    size_t firstDifference = 0;
    while (firstDifference < a.size() && a[firstDifference] == b[firstDifference]) {
        ++firstDifference;
    }
    EXPECT_EQ(firstDifference / 2, 9600u);
}

TEST_F(RenderCommand, ARampMovesTheBinauralOffsetLinearly)
{
    // 14 Hz down to 6 Hz over a minute, in blocks of 512; a pure sine at
    // 200 Hz on the left, so the right ear's tone is 200 Hz + "Binaural".
    const std::string schedule = dir + "/descent.txt";
    FILE* file = std::fopen(schedule.c_str(), "w");
    std::fputs("0:00 Binaural=14\n1:00 Binaural=6 ramp\n", file);
    std::fclose(file);
    const std::string wav = dir + "/descent.wav";
    const Outcome o =
        Run({"--set", "Wave=Sine", "--set", "Fade=1", "--schedule", schedule, "--out", wav});
    ASSERT_EQ(o.exitCode, 0) << o.err;
    SF_INFO info{};
    const std::vector<float> samples = ReadSamples(wav, &info);
    ASSERT_EQ(info.frames, 60 * 48000); // --seconds from the last line
    for (const double t : {1.0, 30.0, 59.0}) {
        const double expected = 14.0 - 8.0 * t / 60.0;
        EXPECT_NEAR(PeakHz(samples, 0, t, 48000), 200.0, 0.05) << t << " s";
        EXPECT_NEAR(PeakHz(samples, 1, t, 48000) - 200.0, expected, 0.1) << t << " s";
    }
}

TEST_F(RenderCommand, AVolumeRampToZeroEndsSilent)
{
    const std::string schedule = dir + "/fade.txt";
    FILE* file = std::fopen(schedule.c_str(), "w");
    std::fputs("0 Volume=90\n1 Volume=90\n3 Volume=0 ramp\n", file);
    std::fclose(file);
    const std::string wav = dir + "/fade.wav";
    ASSERT_EQ(Run({"--schedule", schedule, "--out", wav}).exitCode, 0);
    SF_INFO info{};
    const std::vector<float> samples = ReadSamples(wav, &info);
    ASSERT_EQ(info.frames, 3 * 48000);
    const auto peakOf = [&](double from, double to) {
        float peak = 0.0f;
        for (auto i = static_cast<size_t>(from * 48000 * 2); i < size_t(to * 48000 * 2); ++i) {
            peak = std::max(peak, std::fabs(samples[i]));
        }
        return peak;
    };
    EXPECT_NEAR(peakOf(0.5, 1.0), 0.477f, 0.01f);         // full level before the ramp
    EXPECT_LT(peakOf(2.0, 2.1), peakOf(0.5, 1.0) * 0.6f); // halfway down
    // At the end the level of "Volume" 0: the plug-in's floor, 64 dB down (a
    // gain of 0.0006 on each oscillator).
    EXPECT_LT(peakOf(2.99, 3.0), 0.0007f);
}

TEST_F(RenderCommand, ScheduleMistakesNameFileAndLineAndWriteNothing)
{
    const std::string schedule = dir + "/bad.txt";
    FILE* file = std::fopen(schedule.c_str(), "w");
    std::fputs("# a session\n0 Binaural=14\n5:00 Binaural=600 ramp\n", file);
    std::fclose(file);
    const std::string wav = dir + "/never.wav";
    ExpectOneLineError(Run({"--schedule", schedule, "--out", wav}),
                       schedule + ":3: \"Binaural\" takes 0 to 512 Hz, not 600");
    ExpectOneLineError(Run({"--schedule", dir + "/missing.txt", "--out", wav}),
                       "cannot read the schedule");
    std::remove(schedule.c_str());
    EXPECT_TRUE(Files().empty()) << Files().front();

    // A tone the schedule takes past half the sample rate: named by its line.
    file = std::fopen(schedule.c_str(), "w");
    std::fputs("0 Base Freq=3000\n0.5 Base Freq=4500 ramp\n", file);
    std::fclose(file);
    ExpectOneLineError(
        Run({"--strict", "--sample-rate", "8000", "--schedule", schedule, "--out", wav}),
        "reach 4504 Hz, at or above half the sample rate (4000 Hz)");
    const Outcome warned = Run({"--sample-rate", "8000", "--schedule", schedule, "--out", wav});
    EXPECT_EQ(warned.exitCode, 0);
    EXPECT_NE(warned.err.find("(from " + schedule + ":2)"), std::string::npos) << warned.err;
    EXPECT_EQ(Inspect(wav).frames, 4000); // half a second, from the last line
}

TEST_F(RenderCommand, RendersAPresetFileAsTheSamePresetAndRefusesBadOnes)
{
    const std::string folder = dir + "/presets";
    ASSERT_EQ(Run({"--export-presets", folder}).exitCode, 0);
    const std::string name = "Solfeggio MI - 528 Hz LFO";
    const std::string fromFile = dir + "/file.wav";
    const std::string fromSlot = dir + "/slot.wav";
    ASSERT_EQ(Run({"--preset-file", folder + "/" + name + ".vstpreset", "--seconds", "1", "--out",
                   fromFile})
                  .exitCode,
              0);
    ASSERT_EQ(Run({"--preset", name, "--seconds", "1", "--out", fromSlot}).exitCode, 0);
    EXPECT_TRUE(Slurp(fromFile) == Slurp(fromSlot));
    [[maybe_unused]] const int removed = std::system(("rm -rf " + Quote(folder)).c_str());
    std::remove(fromFile.c_str());
    std::remove(fromSlot.c_str());

    // Made from a real one: another class ID, cut short, or its state garbled.
    ASSERT_EQ(Run({"--export-presets", folder}).exitCode, 0);
    const std::string good = Slurp(folder + "/" + name + ".vstpreset");
    [[maybe_unused]] const int cleared = std::system(("rm -rf " + Quote(folder)).c_str());
    ASSERT_GT(good.size(), 100u);
    const auto write = [&](const std::string& file, const std::string& bytes) {
        FILE* f = std::fopen((dir + "/" + file).c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        return dir + "/" + file;
    };
    std::string otherClass = good;
    otherClass[8] = otherClass[8] == 'A' ? 'B' : 'A'; // the class ID's first hex digit
    // The chunk list at the end gives the state's offset and size after
    // "Comp": a state cut to 16 bytes is one the plug-in must refuse.
    std::string cutState = good;
    const size_t comp = cutState.rfind("Comp");
    ASSERT_NE(comp, std::string::npos);
    cutState[comp + 12] = 16;
    for (size_t i = comp + 13; i < comp + 20; ++i) {
        cutState[i] = 0;
    }
    const std::string wav = dir + "/never.wav";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {write("other.vstpreset", otherClass), "a preset for another plug-in"},
        {write("short.vstpreset", good.substr(0, good.size() / 2)), "not a VST 3 preset file"},
        {write("text.vstpreset", "just some text, not a preset\n"), "not a VST 3 preset file"},
        {write("cut.vstpreset", cutState), "holds a state the plug-in refuses"},
        {dir + "/missing.vstpreset", "cannot read"}};
    for (const auto& [path, mentions] : cases) {
        ExpectOneLineError(Run({"--preset-file", path, "--out", wav}), mentions);
        std::remove(path.c_str());
    }
    EXPECT_TRUE(Files().empty()) << Files().front();
}

TEST_F(RenderCommand, ListsPresetsAndParametersAsJson)
{
    const Outcome presets = Run({"--list-presets", "--json"});
    ASSERT_EQ(presets.exitCode, 0);
    EXPECT_EQ(presets.out.find("[\n  {\"slot\": 0, \"name\": \"---- default ----\"},\n"), 0u)
        << presets.out.substr(0, 200);
    EXPECT_EQ(std::count(presets.out.begin(), presets.out.end(), '{'), 150);
    EXPECT_NE(presets.out.find("{\"slot\": 139, \"name\": \"Solfeggio - 936 Hz Hz LFO\"},\n"),
              std::string::npos);
    EXPECT_EQ(presets.out.substr(presets.out.size() - 4), "}\n]\n");

    const Outcome params = Run({"--list-params", "--json"});
    ASSERT_EQ(params.exitCode, 0);
    EXPECT_NE(params.out.find("{\"id\": 0, \"name\": \"Base Freq\", \"units\": \"Hz\", \"min\": "
                              "20, \"max\": 20000, \"default\": 200, \"defaultText\": \"200.0\", "
                              "\"steps\": 0, \"values\": []}"),
              std::string::npos)
        << params.out;
    EXPECT_NE(params.out.find("\"name\": \"Beats\", \"units\": \"\", \"min\": 0, \"max\": 1, "
                              "\"default\": 0, \"defaultText\": \"Binaural\", \"steps\": 1, "
                              "\"values\": [\"Binaural\", \"Monaural\"]}"),
              std::string::npos);
    EXPECT_EQ(std::count(params.out.begin(), params.out.end(), '{'), 23);

    ExpectOneLineError(Run({"--json", "--out", dir + "/tone.wav"}), "--json goes with");
}
