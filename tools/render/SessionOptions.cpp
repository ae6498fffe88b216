#include "SessionOptions.h"

#include "BundleSearch.h"
#include "CommandLine.h"

#include <CLI/CLI.hpp>

namespace toneloom {

namespace {

// Where the search of BundleCandidates looks.
#if defined(_WIN32)
constexpr char kPluginHelp[] = "The Toneloom.vst3 bundle (default: the one beside this program, "
                               "else the one in Common Files\\VST3)";
#else
constexpr char kPluginHelp[] = "The Toneloom.vst3 bundle (default: the first found beside this "
                               "program, in ../lib/vst3 from this program's folder, in ~/.vst3, "
                               "/usr/lib/vst3 or /usr/local/lib/vst3)";
#endif

} // namespace

void AddSessionOptions(CLI::App& app, SessionOptions* options, const std::string& presetFileHelp,
                       const std::string& scheduleHelp)
{
    app.add_option("--plugin", options->plugin, kPluginHelp);
    CLI::Option* presetOption =
        app.add_option("--preset", options->preset, "A preset slot number or an exact preset name");
    app.add_option("--preset-file", options->presetFile, presetFileHelp)->excludes(presetOption);
    app.add_option("--schedule", options->schedule, scheduleHelp);
    app.add_option("--set", options->settings,
                   "\"PARAM=VALUE\": a parameter's display name and a value text or a number in "
                   "its units; applied after the preset, in order")
        ->allow_extra_args(false);
    app.add_option("--tempo", options->tempo, "Host tempo in BPM (default 120)")
        ->check(CLI::Range(1.0, 999.0));
}

std::string SessionBundle(const SessionOptions& options, std::string* error)
{
    if (!options.plugin.empty()) {
        return options.plugin;
    }
    return FindBundle(BundleCandidates(ThisSystemsBundlePlaces()), error);
}

bool LoadSessionSchedule(const RenderSession& session, const SessionOptions& options,
                         int sampleRateHz, bool secondsGiven, double* seconds, Schedule* schedule,
                         std::string* error, int* exitCode)
{
    *exitCode = kExitFailure;
    if (options.schedule.empty()) {
        return true;
    }
    const PresetFinder findPreset = [&session](const std::string& text, int* slot,
                                               std::string* why) {
        return session.FindPreset(text, slot, why);
    };
    if (!LoadSchedule(options.schedule, session.Parameters(), findPreset, sampleRateHz, schedule,
                      error)) {
        return false;
    }
    if (!secondsGiven) {
        if (schedule->lastSeconds <= 0.0) {
            *error = "the schedule '" + options.schedule +
                     "' ends at 0:00: give its length with --seconds";
            *exitCode = kExitUsage;
            return false;
        }
        *seconds = schedule->lastSeconds;
    }
    return true;
}

bool ApplySessionStart(RenderSession& session, const SessionOptions& options, std::string* error)
{
    if (!options.presetFile.empty() && !session.LoadPresetFile(options.presetFile, error)) {
        return false;
    }
    return session.ApplyPresetAndSettings(options.preset, options.settings, error);
}

} // namespace toneloom
