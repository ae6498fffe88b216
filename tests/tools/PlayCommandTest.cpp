// toneloom-play as a user runs it, on a machine without a sound card: the
// suite starts its own JACK server with the dummy driver under a private
// name, and each test gives ALSA a private configuration with a PCM that
// writes what it is played to a file (ALSA's "file" plugin) and passes it on
// to that server, which keeps the pace of a real card. What reached the
// device is read back and measured.
#include "AudioDevice.h"
#include "LivePlayer.h"
#include "PlayTestSupport.h"
#include "RenderSession.h"
#include "SignalMeasure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace toneloom::test {

namespace {

using namespace toneloom::testing;

constexpr double kRate = kPlayRate;
constexpr int kBuffer = 256; // frames
// Whether a build keeps a sound card's pace (not under the sanitizers).
constexpr bool kTimingCounts = TONELOOM_TIMING_COUNTS != 0;
const std::string kNoUnderrun = "; underruns: 0\n";

class PlayCommand : public PlayTest
{
protected:
    PlayCommand() : PlayTest("toneloom-play") {}

    Outcome Run(const std::vector<std::string>& args)
    {
        return RunCommand(environment + Quote(TONELOOM_PLAY_PATH), WithPlugin(args));
    }

    // Runs a play whose timing is measured; when the machine was too busy
    // to keep up (the player reports underruns, and the capture then holds
    // the gaps), plays again, up to three times.
    Outcome RunInTime(const std::vector<std::string>& args)
    {
        Outcome o;
        for (int attempt = 0; attempt < 3; ++attempt) {
            std::remove(capturePath.c_str());
            o = Run(args);
            if (o.exitCode != 0 || o.out.find(kNoUnderrun) != std::string::npos) {
                break;
            }
        }
        return o;
    }

    // Starts the player in the background, sends `signal` after `seconds`
    // and waits for it to end: its exit code.
    int RunAndSignal(const std::vector<std::string>& args, double seconds, const char* signal)
    {
        std::string command = environment + Quote(TONELOOM_PLAY_PATH);
        for (const std::string& arg : WithPlugin(args)) {
            command += " " + Quote(arg);
        }
        const std::string codePath = dir + "/.code";
        command = "(" + command + " > /dev/null 2>&1 < /dev/null & player=$!; sleep " +
                  std::to_string(seconds) + "; kill -" + signal +
                  " $player; wait $player; echo $? > " + Quote(codePath) + ")";
        if (std::system(command.c_str()) != 0) {
            return -1;
        }
        return std::atoi(Slurp(codePath).c_str());
    }

private:
    // The player in the terminal (its window has tests of its own).
    static std::vector<std::string> WithPlugin(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--plugin", TONELOOM_BUNDLE_PATH, "--no-window"});
        return args;
    }
};

void ExpectOneLineError(const Outcome& outcome, const std::string& mentions)
{
    EXPECT_NE(outcome.exitCode, 0);
    EXPECT_EQ(outcome.err.find("toneloom-play: "), 0u) << outcome.err;
    EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
    EXPECT_NE(outcome.err.find(mentions), std::string::npos) << outcome.err;
}

// A play kept pace (no underrun, so the capture holds no gaps); the
// sanitizer builds may not, and then skip what they cannot measure.
#define ExpectInTime(outcome)                                                                      \
    do {                                                                                           \
        if ((outcome).out.find(kNoUnderrun) == std::string::npos) {                                \
            if (kTimingCounts) {                                                                   \
                FAIL() << "underruns: " << (outcome).out;                                          \
            }                                                                                      \
            GTEST_SKIP() << "underruns under the sanitizers: no timing to measure";                \
        }                                                                                          \
    } while (false)

// The largest sample-to-sample step of either ear in [begin, end).
double LargestStepOf(const Capture& capture, int begin, int end)
{
    return std::max(LargestStep(capture.left, begin, end - begin),
                    LargestStep(capture.right, begin, end - begin));
}

} // namespace

TEST_F(PlayCommand, ListsTheDevicesOfAlsaAndJack)
{
    const Outcome text = Run({"--list-devices"});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_NE(text.out.find("toneloom_capture  (ALSA, 2 channels"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("system  (JACK Audio Connection Kit, 2 channels, 48000 Hz)"),
              std::string::npos)
        << text.out;
    EXPECT_TRUE(text.err.empty()) << text.err; // nothing from ALSA or JACK themselves
    const Outcome json = Run({"--list-devices", "--json"});
    ASSERT_EQ(json.exitCode, 0);
    EXPECT_NE(json.out.find("\"name\": \"system\", \"hostApi\": \"JACK Audio Connection Kit\", "
                            "\"channels\": 2, \"defaultSampleRate\": 48000"),
              std::string::npos)
        << json.out;
}

// Each ear's frequency, the session's end on its sample and the fade that
// follows it, as a DAW's stop would sound.
TEST_F(PlayCommand, PlaysEachEarsToneAndEndsWithTheFade)
{
    const Outcome o = RunInTime({"--device", "toneloom_capture", "--buffer", "256", "--preset", "0",
                                 "--set", "Wave=Sine", "--set", "Base Freq=300", "--set",
                                 "Binaural=12", "--seconds", "1"});
    ASSERT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.out.find("playing on \"toneloom_capture\" (ALSA): 48000 Hz, 256-frame buffers, "
                         "output latency "),
              0u)
        << o.out;
    EXPECT_NE(o.out.find("played 0:01; underruns: "), std::string::npos) << o.out;
    ExpectInTime(o);
    EXPECT_TRUE(o.err.empty()) << o.err; // no terminal: no status line

    const Capture c = ReadCapture();
    ASSERT_GT(c.onset, 0);
    const int second = static_cast<int>(kRate);
    EXPECT_NEAR(FrequencyHz(c.left, c.onset + 4800, second - 9600, kRate), 300.0, 0.1);
    EXPECT_NEAR(FrequencyHz(c.right, c.onset + 4800, second - 9600, kRate), 312.0, 0.1);
    // The transport stops at 1 s; the plug-in fades out within the next
    // block and the player closes only after the fade has reached the device.
    EXPECT_NEAR(c.end - c.onset, second, 2 * kBuffer);
    EXPECT_GT(static_cast<int>(c.left.size()), c.end);
    // No click: the fade steps no further than the steady tone does.
    const double steady = LargestStepOf(c, c.onset + 4800, c.onset + second - 4800);
    EXPECT_LE(LargestStepOf(c, c.end - 2 * kBuffer, c.end + 1), steady * 1.01);
}

// A step lands within one device buffer of its time, and a ramp moves
// linearly, played live as the renderer writes them.
TEST_F(PlayCommand, PlaysScheduleStepsOnTimeAndRampsLinearly)
{
    const std::string schedule = dir + "/session.txt";
    FILE* file = std::fopen(schedule.c_str(), "w");
    std::fputs("0 Binaural=10\n0.5 Base Freq=400\n1 Binaural=10\n2 Binaural=30 ramp\n", file);
    std::fclose(file);
    const Outcome o =
        RunInTime({"--device", "toneloom_capture", "--buffer", "256", "--set", "Wave=Sine", "--set",
                   "Fade=1", "--set", "Base Freq=300", "--schedule", schedule});
    ASSERT_EQ(o.exitCode, 0) << o.err;
    ExpectInTime(o);
    const Capture c = ReadCapture();
    ASSERT_GT(c.onset, 0);

    // The step to 400 Hz: the first left period shorter than that of 350 Hz.
    const std::vector<double> crossings = RisingCrossings(c.left, c.onset, c.end - c.onset);
    double stepAt = -1.0;
    for (size_t i = 1; i < crossings.size() && stepAt < 0.0; ++i) {
        if (crossings[i] - crossings[i - 1] < kRate / 350.0) {
            stepAt = crossings[i - 1];
        }
    }
    EXPECT_NEAR(stepAt - c.onset, 0.5 * kRate, kBuffer + kRate / 400.0);

    // The ramp, from 10 Hz at 1 s to 30 Hz at 2 s, in the right ear.
    for (const double t : {1.25, 1.5, 1.75}) {
        const double at = c.onset + t * kRate;
        const double beat = FrequencyAtHz(c.right, at, kRate) - FrequencyAtHz(c.left, at, kRate);
        EXPECT_NEAR(beat, 10.0 + 20.0 * (t - 1.0), 0.3) << t << " s";
    }
    EXPECT_NEAR(c.end - c.onset, 2 * kRate, 2 * kBuffer); // the schedule's length
}

// Ctrl-C and SIGTERM stop the transport; the fade is heard before the
// program ends with the shell's code for the signal.
TEST_F(PlayCommand, StopsOnCtrlCAfterTheFade)
{
    const std::vector<std::string> args = {
        "--device", "toneloom_capture", "--buffer", "256",
        "--set",    "Wave=Sine",        "--set",    "Play Anyway=No"};
    ASSERT_EQ(RunAndSignal(args, 2.0, "INT"), 130);
    const Capture c = ReadCapture();
    ASSERT_GT(c.onset, 0);
    EXPECT_GT(c.end - c.onset, kRate / 4); // it played until the signal
    EXPECT_GT(static_cast<int>(c.left.size()), c.end) << "closed before the fade was heard";
    const double steady = LargestStepOf(c, c.onset + 4800, c.end - 4 * kBuffer);
    EXPECT_LE(LargestStepOf(c, c.end - 2 * kBuffer, c.end + 1), steady * 1.01);

    std::remove(capturePath.c_str());
    EXPECT_EQ(RunAndSignal(args, 2.0, "TERM"), 143);
}

TEST_F(PlayCommand, BadInputIsOneLineErrorBeforeAnySound)
{
    ExpectOneLineError(Run({"--device", "nowhere"}),
                       "unknown output device \"nowhere\"; the devices are \"toneloom_capture\"");
    ExpectOneLineError(Run({"--device", "system", "--sample-rate", "44100"}),
                       "the device \"system\" refuses 44100 Hz; it takes 48000 Hz");
    ExpectOneLineError(Run({"--device", "system", "--buffer", "8"}),
                       "--buffer 8 is out of range (16 to 8192 frames)");
    ExpectOneLineError(Run({"--json"}), "--json goes with --list-devices");
    const std::vector<std::string> sink = {"--device", "toneloom_capture", "--seconds", "1"};
    const auto with = [&sink](std::vector<std::string> args) {
        args.insert(args.end(), sink.begin(), sink.end());
        return args;
    };
    ExpectOneLineError(Run(with({"--preset", "No Such Preset"})), "unknown preset");
    ExpectOneLineError(Run(with({"--set", "Volume=150"})), "0 to 100");
    ExpectOneLineError(Run(with({"--preset-file", dir + "/missing.vstpreset"})), "cannot read");
    const std::string schedule = dir + "/bad.txt";
    FILE* file = std::fopen(schedule.c_str(), "w");
    std::fputs("0 Binaural=14\n5:00 Binaural=600 ramp\n", file);
    std::fclose(file);
    ExpectOneLineError(Run(with({"--schedule", schedule})),
                       schedule + ":2: \"Binaural\" takes 0 to 512 Hz, not 600");
    EXPECT_TRUE(Slurp(capturePath).empty()) << "sound before an error";

    // No device at all: no JACK server and no ALSA card.
    const Outcome none = RunCommand("HOME=" + Quote(dir) +
                                        " JACK_DEFAULT_SERVER=toneloom-test-none "
                                        "ALSA_CONFIG_PATH=/usr/share/alsa/alsa.conf " +
                                        Quote(TONELOOM_PLAY_PATH),
                                    {"--no-window", "--seconds", "1"});
    ExpectOneLineError(none, "no output device");
}

// The engine a window will sit on: an editor's edit reaches the next
// buffer, a pause stops the transport (the plug-in fades out) and a resume
// brings the tone back, and a reopen on another device with another buffer
// size keeps the same instance with its settings, the session going on
// where it stood.
TEST_F(PlayCommand, TheEngineTakesEditsPausesAndReopensWithTheSameInstance)
{
    setenv("JACK_DEFAULT_SERVER", jackName.c_str(), 1);
    setenv("ALSA_CONFIG_PATH", ("/usr/share/alsa/alsa.conf:" + dir + "/asound.conf").c_str(), 1);
    RenderSession session;
    std::string error;
    ASSERT_TRUE(session.Open(TONELOOM_BUNDLE_PATH, 48000, 512, &error, "toneloom-play test",
                             Steinberg::Vst::kRealtime))
        << error;
    ASSERT_TRUE(session.ApplyPresetAndSettings(
        "", {"Wave=Sine", "Fade=1", "Binaural=0", "Base Freq=300"}, &error))
        << error;
    Steinberg::Vst::ParamID baseFreq = 0;
    double to400 = 0.0;
    ASSERT_TRUE(session.Parameters().Resolve("Base Freq=400", &baseFreq, &to400, &error));

    AudioDevice audio;
    OutputDevice first;
    OutputDevice second;
    ASSERT_TRUE(audio.Find("toneloom_capture", &first, &error)) << error;
    ASSERT_TRUE(audio.Find("toneloom_capture2", &second, &error)) << error;
    LivePlayer player(session.Effect(), audio);
    ASSERT_TRUE(player.Open(StreamRequest{first.index, 48000, kBuffer}, LiveSession{}, &error))
        << error;
    const auto wait = [](double seconds) {
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    };
    ASSERT_TRUE(player.Start(&error)) << error;
    wait(0.6);
    ASSERT_TRUE(player.PushEdit(baseFreq, to400));
    wait(0.6);
    player.Pause();
    wait(0.4);
    const double pausedAt = player.ElapsedSeconds();
    player.Resume();
    wait(0.4);
    ASSERT_TRUE(player.Reopen(StreamRequest{second.index, 48000, 2 * kBuffer}, &error)) << error;
    EXPECT_EQ(audio.BufferFrames(), 2 * kBuffer);
    wait(0.6);
    player.Stop();
    for (int i = 0; i < 200 && !player.FadeHeard(); ++i) {
        wait(0.01);
    }
    EXPECT_TRUE(player.FadeHeard());
    const double elapsed = player.ElapsedSeconds();
    player.Close();
    EXPECT_NEAR(elapsed - pausedAt, 1.0, 0.2); // the session held while paused

    // The first device: 300 Hz, 400 Hz after the edit, one silent stretch
    // (the pause), 400 Hz after it. The second: 400 Hz, the same instance.
    const Capture before = ReadCapture();
    const Capture after = ReadCapture("2");
    ASSERT_GT(before.onset, 0);
    ASSERT_GE(after.onset, 0);
    const int window = static_cast<int>(kRate / 20); // 50 ms
    std::vector<bool> sounding;
    for (int at = before.onset; at + window <= before.end; at += window) {
        sounding.push_back(Peak(before.left, at, window) > 0.1);
    }
    int silences = 0;
    for (size_t i = 1; i < sounding.size(); ++i) {
        silences += sounding[i - 1] && !sounding[i] ? 1 : 0;
    }
    EXPECT_EQ(silences, 1);
    EXPECT_NEAR(FrequencyHz(before.left, before.onset + window, 4 * window, kRate), 300.0, 0.5);
    EXPECT_NEAR(FrequencyHz(before.left, before.end - 5 * window, 4 * window, kRate), 400.0, 0.5);
    EXPECT_NEAR(FrequencyHz(after.left, after.onset + window, 4 * window, kRate), 400.0, 0.5);
    unsetenv("JACK_DEFAULT_SERVER");
    unsetenv("ALSA_CONFIG_PATH");
}

// The device going away while playing (here the JACK server ending) stops
// the player with a message.
TEST_F(PlayCommand, StopsWithAMessageWhenTheDeviceGoesAway)
{
    const std::string name = jackName + "-gone";
    const pid_t server = StartJack(name);
    ASSERT_GT(server, 0);
    std::thread ender([server] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        StopJack(server);
    });
    const Outcome o =
        RunCommand("JACK_DEFAULT_SERVER=" + Quote(name) +
                       " ALSA_CONFIG_PATH=/usr/share/alsa/alsa.conf " + Quote(TONELOOM_PLAY_PATH),
                   {"--plugin", TONELOOM_BUNDLE_PATH, "--no-window", "--device", "system",
                    "--seconds", "20", "--quiet"});
    ender.join();
    ExpectOneLineError(o, "the output device \"system\" stopped while playing");
}

// The JACK dummy driver keeps a sound card's pace: ten seconds in buffers
// of 256 frames go by without a single underrun. Neither the server nor the
// player has real-time priority on a build machine, and work outside the
// suite can still make the server itself late: such a run is played again
// (RunInTime), and one of three has to be clean.
TEST_F(PlayCommand, NoUnderrunInTenSecondsAt256Frames)
{
    if (!kTimingCounts) {
        GTEST_SKIP() << "no real-time pace under the sanitizers";
    }
    const Outcome o =
        RunInTime({"--device", "system", "--buffer", "256", "--set", "LFO1 Target=Volume", "--set",
                   "LFO2 Target=Binaural", "--seconds", "10"});
    ASSERT_EQ(o.exitCode, 0) << o.err;
    EXPECT_NE(o.out.find("256-frame buffers"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("played 0:10; underruns: 0\n"), std::string::npos) << o.out;
}

} // namespace toneloom::test
