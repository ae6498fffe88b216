// What toneloom-render and toneloom-play both take to say what they play:
// the bundle, the starting preset or preset file, settings, a schedule and
// the tempo; and the steps that turn them into a session ready to sound, in
// the same order and with the same errors in both tools.
#pragma once

#include "RenderSession.h"
#include "Schedule.h"

#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace toneloom {

struct SessionOptions
{
    std::string plugin; // the bundle; empty: the one BundleSearch finds
    std::string preset;
    std::string presetFile;
    std::vector<std::string> settings; // "PARAM=VALUE", in order
    std::string schedule;              // a schedule file, or none
    double tempo = 120.0;              // beats per minute
};

// Adds --plugin, --preset, --preset-file, --set, --schedule and --tempo.
// `presetFileHelp` and `scheduleHelp` say what the tool does with them.
void AddSessionOptions(CLI::App& app, SessionOptions* options, const std::string& presetFileHelp,
                       const std::string& scheduleHelp);

// The bundle to load: --plugin, else the first installed one found; "" with
// a one-line reason naming every place looked at.
std::string SessionBundle(const SessionOptions& options, std::string* error);

// Reads the schedule named by --schedule, if any, at `sampleRateHz`; without
// --seconds (`secondsGiven` false) the session lasts until its last line,
// set in `*seconds`. False with a one-line reason and the exit code.
bool LoadSessionSchedule(const RenderSession& session, const SessionOptions& options,
                         int sampleRateHz, bool secondsGiven, double* seconds, Schedule* schedule,
                         std::string* error, int* exitCode);

// The starting state: the preset file or the preset, then the settings in
// order. False with the first reason.
bool ApplySessionStart(RenderSession& session, const SessionOptions& options, std::string* error);

} // namespace toneloom
