// A session schedule: a plain text file of timed changes that the renderer
// plays through the plug-in the way a DAW plays automation.
//
//     # 30 minutes from beta to theta
//     0:00     preset "Binaural - 10.0 (Manipura chakra)"
//     0:00     Binaural=14
//     5:00     Binaural=10    ramp
//
// One change per line, '#' starts a comment. A time is seconds ("90",
// "12.5"), M:SS or H:MM:SS, each with an optional fraction. "NAME=VALUE"
// follows the --set rules; "ramp" moves the parameter linearly, in its own
// units, from its value at the previous line for that parameter; without it
// the change is a step. "preset NAME|N" selects a program. Lines are in time
// order.
#pragma once

#include "ParameterCatalogue.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace toneloom {

struct ScheduleLine
{
    int lineNumber = 0;
    std::string text; // as written, without the comment
    double seconds = 0.0;
    int64_t frame = 0; // the sample the change lands on
    bool isPreset = false;
    int presetSlot = 0;
    Steinberg::Vst::ParamID id = 0;
    double normalised = 0.0;
    double plain = 0.0; // in the parameter's units
    bool ramp = false;
    // For a ramp: where it starts (the previous line for the parameter).
    double rampFromSeconds = 0.0;
    int64_t rampFromFrame = 0;
    double rampFromPlain = 0.0;
};

struct Schedule
{
    std::string fileName;
    std::vector<ScheduleLine> lines; // in time order
    double lastSeconds = 0.0;

    // Puts each line's sample at its time at `sampleRateHz` (for playing the
    // schedule at another rate than it was read at).
    void Retime(int sampleRateHz);
    // "FILE:LINE" for messages about a line.
    std::string Where(const ScheduleLine& line) const;
};

// Finds a preset by name or slot; false with a reason.
using PresetFinder = std::function<bool(const std::string& text, int* slot, std::string* error)>;

// Parses `text`, the contents of the file `fileName`, at `sampleRateHz`.
// False with "FILE:LINE: what is wrong" in `error`.
bool ParseSchedule(const std::string& text, const std::string& fileName,
                   const ParameterCatalogue& parameters, const PresetFinder& findPreset,
                   int sampleRateHz, Schedule* schedule, std::string* error);

// Reads and parses the file at `path`; false with a reason.
bool LoadSchedule(const std::string& path, const ParameterCatalogue& parameters,
                  const PresetFinder& findPreset, int sampleRateHz, Schedule* schedule,
                  std::string* error);

// `seconds` as M:SS or H:MM:SS, with a fraction when there is one.
std::string FormatScheduleTime(double seconds);

// A time as the schedule writes it: seconds, M:SS or H:MM:SS, each with an
// optional fraction. False if `text` is none of these.
bool ParseScheduleTime(const std::string& text, double* seconds);

} // namespace toneloom
