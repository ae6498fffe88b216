#include "LivePlayer.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <cmath>
#include <cstring>

namespace toneloom {

namespace {

constexpr int kStereo = 2;
constexpr double kLongestFadeSeconds = 2.0;
constexpr double kMsPerSecond = 1000.0;
// The player's own fade, for a tone still sounding when the wait is over.
constexpr double kPlayerFadeSeconds = 0.010;
// The longest a reopen waits for the old stream to fade out.
constexpr auto kLongestHushWait = std::chrono::milliseconds(200);
// Below this a sample counts as silent (-120 dBFS).
constexpr float kSilence = 1e-6f;

} // namespace

LivePlayer::LivePlayer(EffectHost& newEffect, AudioDevice& newDevice)
    : effect(newEffect), device(newDevice),
      driver(newEffect, TimelineDriver::ScheduleClock::kFollowsTransport)
{
    driver.SetOutputListener(this);
}

LivePlayer::~LivePlayer()
{
    Close();
}

bool LivePlayer::OpenStream(const StreamRequest& request, std::string* error)
{
    if (!device.Open(request, this, error)) {
        return false;
    }
    if (!effect.Restart(device.SampleRate(), device.BufferFrames(), error)) {
        device.Close();
        return false;
    }
    return true;
}

bool LivePlayer::Open(const StreamRequest& request, const LiveSession& session, std::string* error)
{
    Close();
    if (!OpenStream(request, error)) {
        return false;
    }
    const int rate = device.SampleRate();
    hasSchedule = session.schedule != nullptr;
    if (hasSchedule) {
        schedule = *session.schedule;
        schedule.Retime(rate);
    }
    endFrame = session.seconds > 0.0 ? std::llround(session.seconds * rate) : -1;
    if (!driver.Prepare(hasSchedule ? &schedule : nullptr, session.tempoBpm, error)) {
        device.Close();
        return false;
    }
    pauseWanted = false;
    stopWanted = false;
    framesSinceStop = 0;
    playerFadeGain = 1.0f;
    playerFadeStep = static_cast<float>(1.0 / (kPlayerFadeSeconds * rate));
    hushStep = playerFadeStep;
    hushGain = 1.0f;
    hushWanted = false;
    hushed = false;
    framesSincePause = 0;
    phase = kRunning;
    position = 0;
    currentLine = -1;
    underruns = 0;
    buffers = 0;
    Poll();
    return true;
}

bool LivePlayer::Start(std::string* error)
{
    return device.Start(error);
}

void LivePlayer::Hush()
{
    // The running stream fades to silence first, so the switch never clicks.
    if (!device.IsOpen() || device.Lost()) {
        return;
    }
    hushWanted = true;
    const auto until = std::chrono::steady_clock::now() + kLongestHushWait;
    while (!hushed.load() && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

bool LivePlayer::Reopen(const StreamRequest& request, std::string* error)
{
    const int oldRate = device.SampleRate();
    Hush();
    device.Close();
    if (!OpenStream(request, error)) {
        return false;
    }
    const int rate = device.SampleRate();
    if (rate != oldRate && oldRate > 0) {
        const double ratio = double(rate) / oldRate;
        if (hasSchedule) {
            schedule.Retime(rate);
        }
        if (endFrame >= 0) {
            endFrame = std::llround(double(endFrame) * ratio);
        }
        driver.Rescale(ratio);
        playerFadeStep = static_cast<float>(1.0 / (kPlayerFadeSeconds * rate));
    }
    driver.BlocksRemade();
    Poll();
    hushStep = static_cast<float>(1.0 / (kPlayerFadeSeconds * device.SampleRate()));
    hushWanted = false; // the new stream fades in
    return device.Start(error);
}

void LivePlayer::Pause()
{
    pauseWanted = true;
}

void LivePlayer::Resume()
{
    pauseWanted = false;
}

void LivePlayer::Stop()
{
    stopWanted = true;
}

void LivePlayer::Close()
{
    if (FadeHeard()) {
        device.Stop(); // the fade's last buffers play out
    }
    device.Close();
}

bool LivePlayer::PushEdit(Steinberg::Vst::ParamID id, double normalised)
{
    return edits.Push(ParameterEdit{id, normalised});
}

void LivePlayer::OutputChanged(Steinberg::Vst::ParamID id, double normalised)
{
    reports.Push(ParameterEdit{id, normalised});
}

double LivePlayer::ElapsedSeconds() const
{
    const int rate = device.SampleRate();
    return rate > 0 ? double(position.load(std::memory_order_relaxed)) / rate : 0.0;
}

void LivePlayer::Poll()
{
    double fadeMs = kLongestFadeSeconds * kMsPerSecond;
    effect.Parameters().CurrentPlain("Fade", &fadeMs);
    const double seconds = std::clamp(fadeMs / kMsPerSecond, 0.0, kLongestFadeSeconds);
    fadeLimitFrames = std::llround(seconds * device.SampleRate());
}

void LivePlayer::BeginStop()
{
    driver.SetPlaying(false);
    framesSinceStop = 0;
    phase = kStopping;
}

bool LivePlayer::RenderSpan(float* interleaved, int64_t frames)
{
    if (frames <= 0) {
        return true;
    }
    if (!driver.Process(frames, interleaved)) {
        phase = kFailed;
        return false;
    }
    return true;
}

void LivePlayer::FollowFade(float* interleaved, int frames)
{
    const int samples = frames * kStereo;
    if (framesSinceStop >= fadeLimitFrames.load(std::memory_order_relaxed)) {
        // The plug-in still sounds: fade it out here.
        for (int i = 0; i < frames; ++i) {
            interleaved[2 * i] *= playerFadeGain;
            interleaved[2 * i + 1] *= playerFadeGain;
            playerFadeGain = std::max(0.0f, playerFadeGain - playerFadeStep);
        }
    }
    framesSinceStop += frames;
    bool silent = true;
    for (int i = 0; i < samples && silent; ++i) {
        silent = std::fabs(interleaved[i]) <= kSilence;
    }
    if (silent) {
        phase = kFaded;
    }
}

void LivePlayer::RenderAudio(float* interleaved, int frames, bool underflowed)
{
    buffers.fetch_add(1, std::memory_order_relaxed);
    if (underflowed) {
        underruns.fetch_add(1, std::memory_order_relaxed);
    }
    const int current = phase.load(std::memory_order_relaxed);
    if (current == kFailed || current == kFaded) {
        std::memset(interleaved, 0, sizeof(float) * static_cast<size_t>(frames) * kStereo);
        return;
    }
    // Edits go in at the buffer's start, before the schedule's lines.
    ParameterEdit edit;
    while (edits.Pop(&edit)) {
        effect.Blocks().Changes().Add(edit.id, 0, edit.normalised);
    }
    if (current == kRunning) {
        if (stopWanted.load(std::memory_order_relaxed)) {
            BeginStop();
        } else if (driver.Playing() == pauseWanted.load(std::memory_order_relaxed)) {
            driver.SetPlaying(!driver.Playing());
        }
    }

    int64_t first = frames;
    if (phase.load(std::memory_order_relaxed) == kRunning && driver.Playing() && endFrame >= 0) {
        first = std::clamp<int64_t>(endFrame - driver.Position(), 0, frames);
    }
    bool rendered = RenderSpan(interleaved, first);
    if (rendered && first < frames) {
        // The session ends within this buffer, on its sample.
        if (phase.load(std::memory_order_relaxed) == kRunning && driver.Playing() &&
            endFrame >= 0) {
            BeginStop();
        }
        rendered = RenderSpan(interleaved + first * kStereo, frames - first);
    }
    if (!rendered) {
        std::memset(interleaved, 0, sizeof(float) * static_cast<size_t>(frames) * kStereo);
        return;
    }
    position.store(driver.Position(), std::memory_order_relaxed);
    currentLine.store(driver.LastLineSent(), std::memory_order_relaxed);
    if (phase.load(std::memory_order_relaxed) == kStopping) {
        FollowFade(interleaved, frames);
    }
    FollowHush(interleaved, frames);
}

void LivePlayer::FollowHush(float* interleaved, int frames)
{
    // Paused, the plug-in fades out by itself within its "Fade" time,
    // unless it is told to play on without a transport ("Play Anyway"): a
    // pause still means silence, so the player fades out what is left.
    const bool paused = phase.load(std::memory_order_relaxed) == kRunning && !driver.Playing();
    framesSincePause = paused ? framesSincePause + frames : 0;
    const bool wanted = hushWanted.load(std::memory_order_relaxed) ||
                        (paused && framesSincePause > fadeLimitFrames.load(std::memory_order_relaxed));
    if (!wanted && hushGain >= 1.0f) {
        return;
    }
    for (int i = 0; i < frames; ++i) {
        hushGain = wanted ? std::max(0.0f, hushGain - hushStep) : std::min(1.0f, hushGain + hushStep);
        interleaved[2 * i] *= hushGain;
        interleaved[2 * i + 1] *= hushGain;
    }
    hushed.store(wanted && hushGain <= 0.0f, std::memory_order_relaxed);
}

} // namespace toneloom
