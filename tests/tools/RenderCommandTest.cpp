// toneloom-render as a user runs it: options, files and error messages.
#include <gtest/gtest.h>

#include <sndfile.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Outcome
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& arg)
{
    std::string quoted = "'";
    for (char c : arg) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string Slurp(const std::string& path)
{
    std::string text;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
            text.append(buffer, n);
        }
        std::fclose(f);
    }
    return text;
}

class RenderCommand : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/toneloom-render-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override
    {
        [[maybe_unused]] const int removed = std::system(("rm -rf " + Quote(dir)).c_str());
    }

    Outcome Run(const std::vector<std::string>& args)
    {
        std::string command = Quote(TONELOOM_RENDER_PATH);
        for (const std::string& arg : args) {
            command += " " + Quote(arg);
        }
        const std::string outPath = dir + "/stdout.txt";
        const std::string errPath = dir + "/stderr.txt";
        command += " > " + Quote(outPath) + " 2> " + Quote(errPath) + " < /dev/null";
        Outcome outcome;
        const int status = std::system(command.c_str());
        outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        outcome.out = Slurp(outPath);
        outcome.err = Slurp(errPath);
        std::remove(outPath.c_str());
        std::remove(errPath.c_str());
        return outcome;
    }

    // Names in the test folder (the captured output files excluded).
    std::vector<std::string> Files() const
    {
        std::vector<std::string> names;
        if (DIR* d = opendir(dir.c_str())) {
            while (dirent* e = readdir(d)) {
                const std::string name = e->d_name;
                if (name != "." && name != "..") {
                    names.push_back(name);
                }
            }
            closedir(d);
        }
        return names;
    }

    std::string dir;
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
    Outcome o = Run({"--preset", "Healing - 432 Hz (Natural, harmonic intonation of nature)",
                     "--set", "Volume=50", "--seconds", "0.5", "--sample-rate", "44100", "--out",
                     wav});
    ASSERT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.out, wav + "\n");
    EXPECT_TRUE(o.err.empty()) << o.err; // stderr is no terminal: no progress bar
    SF_INFO info = Inspect(wav);
    EXPECT_EQ(info.frames, 22050);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.samplerate, 44100);
    EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);

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
    EXPECT_EQ(Inspect(pcm).format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
}

TEST_F(RenderCommand, WarnsWhenIntegerSamplesWouldClip)
{
    const std::string wav = dir + "/loud.wav";
    const Outcome o = Run({"--set", "Beats=Monaural", "--set", "Volume=100", "--set",
                           "Binaural=0", "--format", "int24", "--seconds", "0.2", "--out", wav});
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

TEST_F(RenderCommand, ExportsEveryFactoryPresetAsAFile)
{
    const std::string folder = dir + "/presets";
    const Outcome o = Run({"--export-presets", folder});
    ASSERT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.out, "wrote 140 presets to " + folder + "\n");
    struct stat info{};
    EXPECT_EQ(stat((folder + "/Solfeggio - 936 Hz Hz LFO.vstpreset").c_str(), &info), 0);
    EXPECT_EQ(stat((folder + "/---- default ----.vstpreset").c_str(), &info), 0);
}
