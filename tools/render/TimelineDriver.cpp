#include "TimelineDriver.h"

#include "Vst3Ids.h"

#include <algorithm>
#include <cmath>

namespace toneloom {

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

// Points of a ramp's curve over a parameter that is not linear in its units;
// between them the normalised value is interpolated linearly (for a
// frequency ramp over an octave, a step of 1/1024 of it).
constexpr int kCurvePoints = 1025;
// How far a middle point may lie off the straight line between a curve's
// ends (normalised) for the parameter to count as linear.
constexpr double kLinearTolerance = 1e-12;

} // namespace

TimelineDriver::TimelineDriver(EffectHost& newEffect, ScheduleClock newClock)
    : effect(newEffect), clock(newClock)
{
}

bool TimelineDriver::Prepare(const Schedule* newSchedule, double newTempoBpm, std::string* error)
{
    schedule = newSchedule;
    nextLine = 0;
    nextRamp = 0;
    ramps.clear();
    ramping.clear();
    failure = Failure::kNone;
    failedLine = nullptr;
    schedulePosition = 0;
    projectPosition = 0;
    tempoBpm = newTempoBpm;
    playing = true;

    const int lastSlot = static_cast<int>(effect.PresetNames().size()) - 1;
    presetStep = lastSlot >= 1 ? 1.0 / lastSlot : 0.0;
    if (schedule != nullptr) {
        for (const ScheduleLine& line : schedule->lines) {
            if (line.isPreset && lastSlot < 1) {
                *error = schedule->Where(line) + ": the plug-in has no presets";
                return false;
            }
            if (!line.ramp) {
                continue;
            }
            RampCurve curve;
            curve.line = &line;
            const ParameterCatalogue& parameters = effect.Parameters();
            curve.normalised.resize(kCurvePoints);
            for (int i = 0; i < kCurvePoints; ++i) {
                const double plain =
                    line.rampFromPlain + (line.plain - line.rampFromPlain) * i / (kCurvePoints - 1);
                curve.normalised[static_cast<size_t>(i)] = parameters.NormalisedOf(line.id, plain);
            }
            const double first = curve.normalised.front();
            const double last = curve.normalised.back();
            bool linear = true;
            for (int i = 1; i + 1 < kCurvePoints && linear; ++i) {
                const double straight = first + (last - first) * i / (kCurvePoints - 1);
                linear = std::fabs(curve.normalised[static_cast<size_t>(i)] - straight) <=
                         kLinearTolerance;
            }
            if (linear) {
                curve.normalised = {first, last};
            }
            ramps.push_back(std::move(curve));
        }
        std::stable_sort(ramps.begin(), ramps.end(), [](const RampCurve& a, const RampCurve& b) {
            return a.line->rampFromFrame < b.line->rampFromFrame;
        });
    }
    ramping.reserve(ramps.size());
    BlocksRemade();
    return true;
}

void TimelineDriver::BlocksRemade()
{
    host::ProcessDataBuilder& blocks = effect.Blocks();
    blocks.SetTempo(tempoBpm);
    blocks.SetPlaying(playing);
    blocks.SetProjectTimeSamples(projectPosition);
}

void TimelineDriver::Rescale(double ratio)
{
    schedulePosition = std::llround(double(schedulePosition) * ratio);
    projectPosition = std::llround(double(projectPosition) * ratio);
}

void TimelineDriver::SetPlaying(bool newPlaying)
{
    playing = newPlaying;
    effect.Blocks().SetPlaying(playing);
}

bool TimelineDriver::SendChangesOnly()
{
    host::ProcessDataBuilder& blocks = effect.Blocks();
    ProcessData& data = blocks.Block(0);
    const tresult result = effect.Instance().Process(data);
    ForwardOutputChanges();
    blocks.Advance(0);
    if (result != kResultOk) {
        failure = Failure::kParameterRefused;
        return false;
    }
    return true;
}

void TimelineDriver::ForwardOutputChanges()
{
    if (outputListener == nullptr) {
        return;
    }
    host::ParameterChanges& reported = effect.Blocks().OutputChanges();
    const int32 count = reported.getParameterCount();
    for (int32 i = 0; i < count; ++i) {
        IParamValueQueue* queue = reported.getParameterData(i);
        const int32 points = queue != nullptr ? queue->getPointCount() : 0;
        int32 offset = 0;
        ParamValue value = 0.0;
        if (points > 0 && queue->getPoint(points - 1, offset, value) == kResultOk) {
            outputListener->OutputChanged(queue->getParameterId(), value);
        }
    }
}

bool TimelineDriver::QueueLinesAtPosition()
{
    host::ParameterChanges& changes = effect.Blocks().Changes();
    const std::vector<ScheduleLine>& lines = schedule->lines;
    for (; nextLine < lines.size() && lines[nextLine].frame <= schedulePosition; ++nextLine) {
        const ScheduleLine& line = lines[nextLine];
        if (!line.isPreset) {
            if (!changes.Add(line.id, 0, line.normalised)) {
                failure = Failure::kTooManyChanges;
                failedLine = &line;
                return false;
            }
            continue;
        }
        if (changes.getParameterCount() > 0 && !SendChangesOnly()) {
            return false;
        }
        changes.Add(kPresetParamId, 0, line.presetSlot * presetStep);
        if (!SendChangesOnly()) {
            return false;
        }
    }
    return true;
}

double TimelineDriver::RampValueAt(const RampCurve& ramp, int64_t frame)
{
    const ScheduleLine& line = *ramp.line;
    const double progressed =
        double(frame - line.rampFromFrame) / double(line.frame - line.rampFromFrame);
    const double at = std::clamp(progressed, 0.0, 1.0) * double(ramp.normalised.size() - 1);
    const auto below = std::min(static_cast<size_t>(at), ramp.normalised.size() - 2);
    const double fraction = at - double(below);
    return ramp.normalised[below] +
           (ramp.normalised[below + 1] - ramp.normalised[below]) * fraction;
}

bool TimelineDriver::Process(int64_t frames, float* interleaved)
{
    host::ProcessDataBuilder& blocks = effect.Blocks();
    const int maxFrames = effect.BlockFrames();
    const bool scheduleRuns = clock == ScheduleClock::kAlwaysRuns || playing;
    for (int64_t done = 0; done < frames;) {
        int64_t count = std::min<int64_t>(maxFrames, frames - done);
        if (schedule != nullptr && scheduleRuns) {
            if (!QueueLinesAtPosition()) {
                return false;
            }
            const std::vector<ScheduleLine>& lines = schedule->lines;
            if (nextLine < lines.size()) {
                count = std::min(count, lines[nextLine].frame - schedulePosition);
            }
            for (;
                 nextRamp < ramps.size() && ramps[nextRamp].line->rampFromFrame <= schedulePosition;
                 ++nextRamp) {
                ramping.push_back(nextRamp);
            }
            const int64_t position = schedulePosition;
            ramping.erase(std::remove_if(ramping.begin(), ramping.end(),
                                         [this, position](size_t ramp) {
                                             return ramps[ramp].line->frame <= position;
                                         }),
                          ramping.end());
            const int64_t blockEnd = schedulePosition + count;
            for (size_t ramp : ramping) {
                blocks.Changes().Add(ramps[ramp].line->id, static_cast<int32>(count - 1),
                                     RampValueAt(ramps[ramp], blockEnd));
            }
        }
        const int samples = static_cast<int>(count);
        ProcessData& data = blocks.Block(samples);
        if (effect.Instance().Process(data) != kResultOk) {
            failure = Failure::kProcessFailed;
            return false;
        }
        ForwardOutputChanges();
        const float* left = blocks.Output32(0, 0);
        const float* right = blocks.Output32(0, 1);
        float* out = interleaved + done * 2;
        for (int i = 0; i < samples; ++i) {
            out[2 * i] = left[i];
            out[2 * i + 1] = right[i];
        }
        blocks.Advance(samples);
        projectPosition = blocks.Context().projectTimeSamples;
        if (scheduleRuns) {
            schedulePosition += count;
        }
        done += count;
    }
    return true;
}

std::string TimelineDriver::FailureText() const
{
    switch (failure) {
    case Failure::kNone:
        return "";
    case Failure::kTooManyChanges:
        return schedule->Where(*failedLine) + ": too many changes at one time";
    case Failure::kParameterRefused:
        return "the plug-in refused a parameter change";
    case Failure::kProcessFailed:
        return "the plug-in failed to process a block";
    }
    return "";
}

} // namespace toneloom
