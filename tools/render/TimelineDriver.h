// Drives a started effect along a timeline, block by block, as a DAW plays a
// project: the transport, the tempo, a continuous project position, and a
// schedule's changes and ramps sent through the parameter queues. A block
// ends where a schedule line falls, so each change lands on its sample; a ramp
// sends one point per block, its value at the block's end, where a host's
// automation curve would put it (the plug-in takes a queue's last value for
// the whole block). The renderer and the live player both play through this,
// so a session sounds the same written to a file and played live.
//
// Prepare runs before any audio and computes everything the blocks need;
// Process then allocates nothing, takes no lock and does no I/O, so it may
// run on an audio device's callback.
#pragma once

#include "EffectHost.h"
#include "Schedule.h"

#include <cstdint>
#include <string>
#include <vector>

namespace toneloom {

class TimelineDriver
{
public:
    // What made Process stop (kNone while all goes well).
    enum class Failure
    {
        kNone,
        kTooManyChanges,   // more changes at one time than the queues hold
        kParameterRefused, // the plug-in refused a block of changes only
        kProcessFailed     // the plug-in failed to process a block
    };

    // Schedule clocks: whether the schedule's time runs while the transport
    // is stopped. The renderer renders a timeline of fixed length whatever
    // the transport says; a live player holds the schedule while stopped.
    enum class ScheduleClock
    {
        kAlwaysRuns,
        kFollowsTransport
    };

    // Hears what the plug-in reports back in each block's output parameter
    // changes: the last value of each parameter, normalised. [audio thread]
    class OutputListener
    {
    public:
        virtual ~OutputListener() = default;
        virtual void OutputChanged(Steinberg::Vst::ParamID id, double normalised) = 0;
    };

    // Drives `effect`, which must stay started (and its blocks kept) while
    // this is in use.
    TimelineDriver(EffectHost& effect, ScheduleClock clock);
    TimelineDriver(const TimelineDriver&) = delete;
    TimelineDriver& operator=(const TimelineDriver&) = delete;

    // [main thread, before audio] Takes `schedule` (kept by the caller; null
    // for none), works out each ramp's values in normalised form, and puts
    // the timeline at 0 with the transport playing at `tempoBpm`. False with
    // a reason when the schedule selects presets and the plug-in has none.
    bool Prepare(const Schedule* schedule, double tempoBpm, std::string* error);
    // [main thread, not while processing] The effect's blocks were made
    // anew (EffectHost::Restart): the transport, tempo and position carry on
    // from where they were.
    void BlocksRemade();
    // [main thread, not while processing] The schedule was retimed to a
    // sample rate `ratio` times the old one (Schedule::Retime): the
    // positions follow, the lines already sent stay sent.
    void Rescale(double ratio);

    // [main thread, before audio] Who hears the output parameter changes;
    // null (the default) for nobody.
    void SetOutputListener(OutputListener* listener) { outputListener = listener; }

    // [audio thread] Renders `frames` frames (any number) from the current
    // position into `interleaved` (stereo, left first), in blocks no longer
    // than the effect's block size. False, with Failed() telling why and
    // the rest of `interleaved` left as it was, when the plug-in fails.
    bool Process(int64_t frames, float* interleaved);

    // [audio thread] The transport: playing moves the project position (and,
    // following the transport, the schedule) on; stopped holds them and the
    // plug-in fades its tone out.
    void SetPlaying(bool playing);
    bool Playing() const { return playing; }

    // The schedule's time, in samples from its start.
    int64_t Position() const { return schedulePosition; }
    // The index in the schedule's lines of the last line sent, or -1.
    int LastLineSent() const { return static_cast<int>(nextLine) - 1; }
    Failure Failed() const { return failure; }
    // [main thread] A one-line reason for Failed().
    std::string FailureText() const;

private:
    // A ramp's normalised values at evenly spaced points of its plain range
    // (two points when the parameter is linear in its units).
    struct RampCurve
    {
        const ScheduleLine* line = nullptr;
        std::vector<double> normalised;
    };

    // Sends the schedule's lines that fall on the current position; a
    // program change goes in a call of its own, after the changes before it,
    // so the parameters that follow it are not overwritten.
    bool QueueLinesAtPosition();
    // Processes the changes queued so far in a block of no samples.
    bool SendChangesOnly();
    // Tells the output listener what the block just processed reported.
    void ForwardOutputChanges();
    // The value `ramp` has reached at `frame`, normalised.
    static double RampValueAt(const RampCurve& ramp, int64_t frame);

    EffectHost& effect;
    ScheduleClock clock;
    const Schedule* schedule = nullptr;
    size_t nextLine = 0;          // the first line not yet sent
    std::vector<RampCurve> ramps; // by the sample they start from
    size_t nextRamp = 0;          // the first ramp not yet under way
    std::vector<size_t> ramping;  // indices into `ramps`; room for all of them
    double presetStep = 0.0;      // normalised program-change step per slot
    int64_t schedulePosition = 0; // samples
    int64_t projectPosition = 0;  // samples
    double tempoBpm = 120.0;
    bool playing = true;
    Failure failure = Failure::kNone;
    OutputListener* outputListener = nullptr; // not owned
    const ScheduleLine* failedLine = nullptr;
};

} // namespace toneloom
