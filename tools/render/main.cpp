// toneloom-render: renders Toneloom (or any stereo VST 3 effect with the same
// parameters) to an audio file, loading the module exactly as a host does.
#include "AudioFileWriter.h"
#include "CommandLine.h"
#include "JsonText.h"
#include "ProgressBar.h"
#include "RenderSession.h"
#include "SessionOptions.h"
#include "SystemCalls.h"
#include "ToneRange.h"
#include "ToneloomVersion.h"

#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace toneloom;

struct Options
{
    SessionOptions session; // --plugin, --preset, --preset-file, --set, --schedule, --tempo
    double seconds = 30.0;
    int sampleRate = 48000; // Hz
    int block = 512;        // samples
    std::string transport = "playing";
    std::string format = "float32";
    bool formatGiven = false;
    std::string out;
    bool listPresets = false;
    bool listParams = false;
    std::string exportDir;
    bool strict = false;
    bool secondsGiven = false;
    bool json = false;
};

SampleFormat FormatNamed(const std::string& name)
{
    if (name == "int24") {
        return SampleFormat::kInt24;
    }
    if (name == "int16") {
        return SampleFormat::kInt16;
    }
    return SampleFormat::kFloat32;
}

// A preset name as a file name: characters no file system takes become '-'.
std::string FileNameFor(const std::string& presetName)
{
    std::string name = presetName;
    for (char& c : name) {
        if (c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' ||
            c == '>' || c == '|' || static_cast<unsigned char>(c) < 0x20) {
            c = '-';
        }
    }
    if (name.empty() || name[0] == '.') {
        name = "preset" + name;
    }
    return name + ".vstpreset";
}

bool IsFactoryPreset(const std::string& name, int slot)
{
    // Slots the plug-in never filled carry their number as "- N -".
    return name != "- " + std::to_string(slot + 1) + " -";
}

int ExportPresets(RenderSession& session, const std::string& dir)
{
    switch (EnsureFolder(dir)) {
    case FolderState::kCannotMake:
        return Fail("cannot make the folder '" + dir + "'");
    case FolderState::kNotAFolder:
        return Fail("'" + dir + "' is not a folder");
    case FolderState::kMade:
    case FolderState::kExisted:
        break;
    }
    std::string error;
    int written = 0;
    const std::vector<std::string>& names = session.PresetNames();
    for (int slot = 0; slot < static_cast<int>(names.size()); ++slot) {
        if (!IsFactoryPreset(names[slot], slot)) {
            continue;
        }
        const std::string path = dir + "/" + FileNameFor(names[slot]);
        if (!session.SelectPreset(slot, &error) || !session.ExportPreset(path, &error)) {
            return Fail(error);
        }
        ++written;
    }
    std::printf("wrote %d presets to %s\n", written, dir.c_str());
    return 0;
}

// Where the tone folds back (at or above half the sample rate): at the
// start, or after a schedule line, which a second instance of the plug-in
// plays through without audio (a ramp is highest at one of its ends). ""
// when it never does.
std::string FoldBackAnywhere(const RenderSession& session, const Options& options,
                             const Schedule& schedule, const std::string& plugin)
{
    std::string problem =
        FoldBackProblem(MeasureToneRange(session.Parameters()), options.sampleRate);
    if (!problem.empty() || schedule.lines.empty()) {
        return problem;
    }
    RenderSession probe;
    std::string error;
    if (!probe.Open(plugin, options.sampleRate, options.block, &error) ||
        !ApplySessionStart(probe, options.session, &error)) {
        return ""; // the render itself will say what is wrong
    }
    const auto end = static_cast<int64_t>(std::llround(options.seconds * options.sampleRate));
    for (const ScheduleLine& line : schedule.lines) {
        // A step at the end changes nothing heard; a ramp under way by then
        // comes close to its value.
        if ((line.ramp ? line.rampFromFrame : line.frame) >= end) {
            break;
        }
        const bool applied = line.isPreset ? probe.SelectPreset(line.presetSlot, &error)
                                           : probe.ApplyChange(line.id, line.normalised, &error);
        if (!applied) {
            return "";
        }
        problem = FoldBackProblem(MeasureToneRange(probe.Parameters()), options.sampleRate);
        if (!problem.empty()) {
            return problem + " (from " + schedule.Where(line) + ")";
        }
    }
    return "";
}

// The tone folds back: a warning, or with --strict an error.
bool CheckFoldBack(const RenderSession& session, const Options& options, const Schedule& schedule,
                   const std::string& plugin)
{
    const std::string problem = FoldBackAnywhere(session, options, schedule, plugin);
    if (problem.empty()) {
        return true;
    }
    if (options.strict) {
        Fail(problem);
        return false;
    }
    Warn(problem);
    return true;
}

int Render(RenderSession& session, const Options& options, const Schedule& schedule,
           const std::string& plugin)
{
    std::string error;
    const SampleFormat format = FormatNamed(options.format);
    SampleFormat effective = format;
    int ignored = 0;
    // FLAC holds integers only: without an explicit format it gets 24 bits.
    if (!options.formatGiven &&
        !AudioFileWriter::ContainerFor(options.out, format, &ignored, &error)) {
        effective = SampleFormat::kInt24;
        error.clear();
    }
    const auto total = static_cast<int64_t>(std::llround(options.seconds * options.sampleRate));
    if (!AudioFileWriter::Holds(options.out, effective, 2, total, &error)) {
        return Fail(error, kExitUsage);
    }
    if (!CheckFoldBack(session, options, schedule, plugin)) {
        return kExitFailure;
    }
    // From here on Ctrl-C (or a request to end) stops the render and removes
    // the partial file.
    InstallInterruptHandlers();
    AudioFileWriter writer;
    if (!writer.Open(options.out, options.sampleRate, 2, effective, &error)) {
        return Fail(error);
    }
    ProgressBar progress(total, StderrIsTerminal());
    RenderTimeline timeline;
    timeline.seconds = options.seconds;
    timeline.tempoBpm = options.session.tempo;
    timeline.playing = options.transport == "playing";
    timeline.schedule = &schedule;
    const bool rendered = session.Render(timeline, &writer, &progress, &error);
    if (InterruptExitCode() != 0) {
        writer.Abort();
        return Fail("interrupted", InterruptExitCode());
    }
    if (!rendered || !writer.Commit(&error)) {
        writer.Abort();
        return Fail(error);
    }
    if (effective != SampleFormat::kFloat32 && writer.Peak() > 1.0f) {
        char peak[64];
        std::snprintf(peak, sizeof peak, "%.3f (%+.2f dBFS)", writer.Peak(),
                      20.0 * std::log10(writer.Peak()));
        Warn(std::string("the tone peaks at ") + peak + " and clips in " +
             (effective == SampleFormat::kInt16 ? "16-bit" : "24-bit") +
             " samples; lower \"Volume\" or use --format float32");
    }
    std::printf("%s\n", options.out.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    SetProgramName("toneloom-render");
    Options options;
    CLI::App app{"Renders Toneloom's tone to an audio file through the VST 3 plug-in.",
                 "toneloom-render"};
    AddSessionOptions(app, &options.session,
                      "A .vstpreset file saved by a DAW (or by --export-presets) to start from",
                      "A session file of timed changes and ramps, played during the render");
    CLI::Option* secondsOption =
        app.add_option("--seconds", options.seconds,
                       "Length of the render (default 30, or the time of a schedule's last line)")
            ->check(CLI::Range(0.001, 86400.0));
    app.add_option("--sample-rate", options.sampleRate, "Hz (default 48000)")
        ->check(CLI::Range(8000, 384000));
    app.add_option("--block", options.block, "Samples per process call (default 512)")
        ->check(CLI::Range(1, 65536));
    app.add_option("--transport", options.transport, "playing or stopped (default playing)")
        ->check(CLI::IsMember({"playing", "stopped"}));
    CLI::Option* formatOption =
        app.add_option("--format", options.format, "float32, int24 or int16 (default float32)")
            ->check(CLI::IsMember({"float32", "int24", "int16"}));
    app.add_option("--out", options.out, "The file to write: .wav, .flac or .aiff");
    app.add_flag("--list-presets", options.listPresets, "List the preset slots and exit");
    app.add_flag("--list-params", options.listParams, "List the parameters and exit");
    app.add_flag("--json", options.json, "With --list-presets or --list-params: print JSON");
    app.add_option("--export-presets", options.exportDir,
                   "Write every factory preset as a .vstpreset file into this folder and exit");
    app.set_version_flag("--version", std::string("toneloom-render ") + TONELOOM_VERSION_STRING,
                         "Print the version and exit");
    app.add_flag("--strict", options.strict,
                 "Refuse to render a tone that reaches half the sample rate (default: warn)");

    int exitCode = 0;
    if (!ParseCommandLine(app, argc, argv, &exitCode)) {
        return exitCode;
    }
    options.formatGiven = formatOption->count() > 0;
    options.secondsGiven = secondsOption->count() > 0;

    if (options.json && !options.listPresets && !options.listParams) {
        return Fail("--json goes with --list-presets or --list-params", kExitUsage);
    }
    const bool rendering = !options.listPresets && !options.listParams && options.exportDir.empty();
    std::string error;
    if (rendering) {
        if (options.out.empty()) {
            return Fail("--out FILE is required", kExitUsage);
        }
        int ignored = 0;
        if (options.formatGiven &&
            !AudioFileWriter::ContainerFor(options.out, FormatNamed(options.format), &ignored,
                                           &error)) {
            return Fail(error, kExitUsage);
        }
        if (!options.formatGiven &&
            !AudioFileWriter::ContainerFor(options.out, SampleFormat::kInt24, &ignored, &error)) {
            return Fail(error, kExitUsage);
        }
    }

    const std::string plugin = SessionBundle(options.session, &error);
    if (plugin.empty()) {
        return Fail(error);
    }
    RenderSession session;
    if (!session.Open(plugin, options.sampleRate, options.block, &error)) {
        return Fail(error);
    }
    if (options.listParams) {
        const std::string list =
            options.json ? session.Parameters().DescribeJson() : session.Parameters().Describe();
        std::fputs(list.c_str(), stdout);
        return 0;
    }
    if (options.listPresets) {
        const std::vector<std::string>& names = session.PresetNames();
        if (options.json) {
            std::string list = "[";
            for (size_t slot = 0; slot < names.size(); ++slot) {
                list += (slot == 0 ? "\n" : ",\n") + std::string("  {\"slot\": ") +
                        std::to_string(slot) + ", \"name\": " + JsonQuoted(names[slot]) + "}";
            }
            std::fputs((list + "\n]\n").c_str(), stdout);
            return 0;
        }
        for (size_t slot = 0; slot < names.size(); ++slot) {
            std::printf("%3zu  %s\n", slot, names[slot].c_str());
        }
        return 0;
    }
    if (!options.exportDir.empty()) {
        return ExportPresets(session, options.exportDir);
    }

    Schedule schedule;
    int code = 0;
    if (!LoadSessionSchedule(session, options.session, options.sampleRate, options.secondsGiven,
                             &options.seconds, &schedule, &error, &code)) {
        return Fail(error, code);
    }
    if (!ApplySessionStart(session, options.session, &error)) {
        return Fail(error);
    }
    return Render(session, options, schedule, plugin);
}
