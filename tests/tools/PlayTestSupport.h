// What the toneloom-play tests share, on a machine without a sound card: a
// JACK server with the dummy driver under a private name for the whole suite,
// and for each test a private ALSA configuration with two PCMs that write
// what they are played to files (ALSA's "file" plugin) and pass it on to
// that server, which keeps the pace of a real card. What reached the device
// is read back for measuring. Linux only.
#pragma once

#include "CommandTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace toneloom::test {

constexpr double kPlayRate = 48000.0; // Hz, the JACK server's
// Below this a captured sample counts as silent.
constexpr double kSilence = 1e-4;

struct Capture
{
    std::vector<double> left;
    std::vector<double> right;
    // The first sample that sounds: the session's sample 0 reached the
    // device within a buffer before it (the plug-in's first block ramps up).
    int onset = -1;
    // One past the last sample that sounds.
    int end = -1;
};

class PlayTest : public CommandTest
{
protected:
    explicit PlayTest(std::string folderPrefix) : CommandTest(std::move(folderPrefix)) {}

    static void SetUpTestSuite()
    {
        jackName = "toneloom-test-" + std::to_string(getpid());
        jackServer = StartJack(jackName);
    }
    static void TearDownTestSuite()
    {
        StopJack(jackServer);
        jackServer = -1;
    }

    // Starts `jackd -n NAME -d dummy` at 48 kHz in periods of 256 frames and
    // waits until clients can reach it; -1 when it does not come up.
    static pid_t StartJack(const std::string& name)
    {
        const pid_t pid = fork();
        if (pid == 0) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
            execlp("jackd", "jackd", "-n", name.c_str(), "-d", "dummy", "-r", "48000", "-p", "256",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        const std::string wait =
            "JACK_DEFAULT_SERVER=" + Quote(name) + " jack_wait -w -t 10 > /dev/null 2>&1";
        if (pid < 0 || std::system(wait.c_str()) != 0) {
            StopJack(pid);
            return -1;
        }
        return pid;
    }
    static void StopJack(pid_t pid)
    {
        if (pid > 0) {
            kill(pid, SIGTERM);
            int status = 0;
            waitpid(pid, &status, 0);
        }
    }

    // The test's ALSA configuration: "toneloom_capture" and
    // "toneloom_capture2" write to capturePath and capturePath + "2".
    // `environment` starts a command line with it, the suite's JACK server
    // and the test's folder as HOME.
    void SetUp() override
    {
        CommandTest::SetUp();
        ASSERT_GT(jackServer, 0) << "the JACK dummy server did not start";
        capturePath = dir + "/captured.raw";
        const std::string config = dir + "/asound.conf";
        FILE* file = std::fopen(config.c_str(), "w");
        ASSERT_NE(file, nullptr);
        for (const char* suffix : {"", "2"}) {
            std::fprintf(file,
                         "pcm.toneloom_capture%s {\n"
                         "    type file\n"
                         "    slave.pcm \"toneloom_jack\"\n"
                         "    file \"%s%s\"\n"
                         "    format \"raw\"\n"
                         "}\n",
                         suffix, capturePath.c_str(), suffix);
        }
        std::fputs("pcm.toneloom_jack {\n"
                   "    type jack\n"
                   "    playback_ports { 0 system:playback_1 1 system:playback_2 }\n"
                   "}\n",
                   file);
        std::fclose(file);
        environment = "HOME=" + Quote(dir) + " JACK_DEFAULT_SERVER=" + Quote(jackName) +
                      " ALSA_CONFIG_PATH=/usr/share/alsa/alsa.conf:" + Quote(config) + " ";
    }

    // What the capture PCM was played, as stereo float samples; the second
    // capture PCM, toneloom_capture2, with `suffix` "2".
    Capture ReadCapture(const std::string& suffix = "") const
    {
        const std::string bytes = Slurp(capturePath + suffix);
        Capture capture;
        const size_t frames = bytes.size() / (2 * sizeof(float));
        const auto* samples = reinterpret_cast<const float*>(bytes.data());
        for (size_t i = 0; i < frames; ++i) {
            capture.left.push_back(samples[2 * i]);
            capture.right.push_back(samples[2 * i + 1]);
            if (std::fabs(samples[2 * i]) > kSilence || std::fabs(samples[2 * i + 1]) > kSilence) {
                if (capture.onset < 0) {
                    capture.onset = static_cast<int>(i);
                }
                capture.end = static_cast<int>(i) + 1;
            }
        }
        return capture;
    }

    // The sample frames a capture file holds so far.
    int CapturedFrames(const std::string& suffix = "") const
    {
        FILE* file = std::fopen((capturePath + suffix).c_str(), "rb");
        if (file == nullptr) {
            return 0;
        }
        std::fseek(file, 0, SEEK_END);
        const long bytes = std::ftell(file);
        std::fclose(file);
        return static_cast<int>(bytes / static_cast<long>(2 * sizeof(float)));
    }

    static inline pid_t jackServer = -1;
    static inline std::string jackName;
    std::string capturePath;
    std::string environment;
};

} // namespace toneloom::test
