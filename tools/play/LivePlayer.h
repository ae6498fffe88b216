// The live player's audio engine: a started effect played through an audio
// device as a DAW plays it, with a playing transport, a continuous project
// position, the tempo and a session's schedule (TimelineDriver). The front
// end (the command line, or a window around the plug-in's editor) only calls
// the main-thread methods and reads the status; everything on the audio
// thread is allocated before the stream starts and takes no lock.
//
// Stopping (Stop, or the end of the session) stops the transport and keeps
// the stream running until the plug-in's own fade-out has been heard: until
// its output is silent, at most the plug-in's "Fade" time (2 s at most; a
// plug-in without one gets 2 s). A tone that still sounds then is faded out
// by the player over 10 ms, so closing the stream never clicks.
#pragma once

#include "AudioDevice.h"
#include "EffectHost.h"
#include "ParameterEditQueue.h"
#include "Schedule.h"
#include "TimelineDriver.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace toneloom {

struct LiveSession
{
    const Schedule* schedule = nullptr; // copied by Open; null for none
    double tempoBpm = 120.0;
    double seconds = 0.0; // the session's length; 0 plays until stopped
};

class LivePlayer : public AudioSource, private TimelineDriver::OutputListener
{
public:
    // Plays `effect` (started in real-time mode, kept by the caller) through
    // `device` (kept by the caller).
    LivePlayer(EffectHost& effect, AudioDevice& device);
    ~LivePlayer() override;
    LivePlayer(const LivePlayer&) = delete;
    LivePlayer& operator=(const LivePlayer&) = delete;

    // [main thread] Opens the stream on `request`, sets the effect up at the
    // stream's rate and buffer and puts `session` at its start. Nothing
    // sounds until Start. False with a one-line reason.
    bool Open(const StreamRequest& request, const LiveSession& session, std::string* error);
    bool Start(std::string* error);
    // [main thread] Plays on another device, rate or buffer from where the
    // session stands, with the same plug-in instance: the old stream fades
    // out over 10 ms, the new one fades in. A paused transport stays paused.
    // False with a reason (the stream is then closed).
    bool Reopen(const StreamRequest& request, std::string* error);

    // [main thread] The transport stops (the plug-in fades out and the
    // schedule holds) or plays on, from the next buffer. A plug-in that
    // still sounds after its fade time (one told to play without a
    // transport) is faded out by the player while paused.
    void Pause();
    void Resume();
    // [main thread] Stops the transport for good from the next buffer; the
    // fade-out follows (FadeHeard).
    void Stop();
    // [main thread] Closes the stream; after a stop, once FadeHeard, the
    // buffers already handed to the device play out first.
    void Close();
    // [main thread] Lets go of a stream whose device stopped calling back
    // (AudioDevice::Abandon).
    void Abandon() { device.Abandon(); }

    // [any one thread but the audio thread] An edit (an editor's knob) that
    // reaches the plug-in in the next buffer's input parameter changes.
    // False when too many edits wait.
    bool PushEdit(Steinberg::Vst::ParamID id, double normalised);
    // [one thread, the one that shows the values] The next value the plug-in
    // reported in a buffer's output parameter changes, oldest first; false
    // when none waits. Reports that find the queue full are dropped; the
    // plug-in's own values stay the truth (getParamNormalized).
    bool PopReported(ParameterEdit* reported) { return reports.Pop(reported); }

    // Status, for any thread.
    // The session's time, in seconds.
    double ElapsedSeconds() const;
    // The index of the last schedule line sent, or -1.
    int CurrentLine() const { return currentLine.load(std::memory_order_relaxed); }
    // Buffers the callback has filled so far.
    uint64_t Buffers() const { return buffers.load(std::memory_order_relaxed); }
    // Buffers the device flagged as short of samples (output underflow).
    uint64_t Underruns() const { return underruns.load(std::memory_order_relaxed); }
    // The transport stopped: by Stop, or at the end of the session.
    bool Stopping() const { return phase.load() >= kStopping; }
    // The fade-out after stopping has been rendered.
    bool FadeHeard() const { return phase.load() >= kFaded; }
    // The plug-in failed while playing (FailureText says how).
    bool Failed() const { return phase.load() == kFailed; }
    std::string FailureText() const { return driver.FailureText(); }
    // The device stopped by itself (it went away).
    bool DeviceLost() const { return device.Lost(); }
    // [main thread] Call a few times a second: follows the plug-in's
    // "Fade" time for the wait after a stop.
    void Poll();

private:
    enum Phase
    {
        kRunning,
        kStopping,
        kFaded,
        kFailed
    };

    void RenderAudio(float* interleaved, int frames, bool underflowed) override;
    void OutputChanged(Steinberg::Vst::ParamID id, double normalised) override;
    // [audio thread] Helpers of RenderAudio.
    bool RenderSpan(float* interleaved, int64_t frames);
    void BeginStop();
    void FollowFade(float* interleaved, int frames);
    void FollowHush(float* interleaved, int frames);
    // [main thread] Fades the running stream out (at most 200 ms' wait).
    void Hush();
    // [main thread] The stream on `request` and the effect set up for it.
    bool OpenStream(const StreamRequest& request, std::string* error);

    EffectHost& effect;
    AudioDevice& device;
    TimelineDriver driver;
    Schedule schedule; // the session's, retimed with the sample rate
    bool hasSchedule = false;
    int64_t endFrame = -1; // where the session ends (samples), or -1

    // Main thread to audio thread, and back.
    ParameterEditQueue edits;
    ParameterEditQueue reports;
    std::atomic<bool> pauseWanted{false};
    std::atomic<bool> stopWanted{false};
    std::atomic<int64_t> fadeLimitFrames{0}; // the longest wait for the fade
    std::atomic<bool> hushWanted{false};      // fade out for a reopen
    std::atomic<bool> hushed{false};          // ... and it is silent now

    // Audio thread only.
    int64_t framesSinceStop = 0;
    float playerFadeGain = 1.0f; // the player's own fade, when it must make one
    float playerFadeStep = 0.0f; // gain per sample
    float hushGain = 1.0f;       // the reopen's (and a long pause's) fade
    int64_t framesSincePause = 0; // samples the transport has been paused
    float hushStep = 0.0f;       // gain per sample

    // Audio thread to everyone.
    std::atomic<int> phase{kRunning};
    std::atomic<int64_t> position{0}; // the session's time, samples
    std::atomic<int> currentLine{-1};
    std::atomic<uint64_t> underruns{0};
    std::atomic<uint64_t> buffers{0};
};

} // namespace toneloom
