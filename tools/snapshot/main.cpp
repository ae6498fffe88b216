// toneloom-snapshot: draws Toneloom's editor, as a host would show it, into a
// PNG file. The effect is made through the module's own factory with its
// editor on the headless platform; a preset, parameter settings, mouse input
// and some seconds of playing go in first, in that order.
#include "CommandLine.h"
#include "PngFile.h"
#include "SnapshotSession.h"
#include "ToneloomVersion.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace toneloom;

constexpr int kSampleRate = 48000; // Hz
constexpr int kBlockFrames = 512;  // samples per process call

struct Options
{
    std::string preset;
    std::vector<std::string> settings;
    std::vector<MouseAction> actions; // in the order given
    double playSeconds = 0.0;
    double tempo = 120.0; // beats per minute
    double scale = 1.0;   // surface pixels per layout pixel
    std::string out;
    bool listPresets = false;
    bool listParams = false;
};

// `count` whole numbers separated by commas ("12,-40"); false otherwise.
bool ParseNumbers(const std::string& text, int count, int* values)
{
    const char* at = text.c_str();
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            if (*at != ',') {
                return false;
            }
            ++at;
        }
        if (*at != '-' && *at != '+' && !std::isdigit(static_cast<unsigned char>(*at))) {
            return false;
        }
        char* end = nullptr;
        const long value = std::strtol(at, &end, 10);
        if (end == at || value < -100000 || value > 100000) {
            return false;
        }
        values[i] = static_cast<int>(value);
        at = end;
    }
    return *at == '\0';
}

// The mouse options in the order they appear on the command line.
bool CollectActions(const CLI::App& app,
                    const std::map<const CLI::Option*, MouseAction::Kind>& kinds,
                    std::vector<MouseAction>* actions, std::string* error)
{
    std::map<const CLI::Option*, size_t> used;
    for (const CLI::Option* option : app.parse_order()) {
        const auto kind = kinds.find(option);
        if (kind == kinds.end()) {
            continue;
        }
        const size_t n = used[option]++;
        if (n >= option->results().size()) {
            continue;
        }
        const std::string& text = option->results()[n];
        MouseAction action;
        action.kind = kind->second;
        int values[4] = {};
        const bool drag = action.kind == MouseAction::kDrag;
        if (!ParseNumbers(text, drag ? 4 : 2, values)) {
            *error = option->get_name() + " \"" + text + "\": expected " +
                     (drag ? "X,Y,DX,DY" : "X,Y") + " in whole pixels";
            return false;
        }
        action.x = values[0];
        action.y = values[1];
        action.dx = values[2];
        action.dy = values[3];
        actions->push_back(action);
    }
    return true;
}

bool EndsWithPng(const std::string& path)
{
    if (path.size() < 5) {
        return false;
    }
    std::string tail = path.substr(path.size() - 4);
    for (char& c : tail) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return tail == ".png";
}

} // namespace

int main(int argc, char** argv)
{
    SetProgramName("toneloom-snapshot");
    Options options;
    CLI::App app{"Draws Toneloom's editor into a PNG picture, after an optional preset, "
                 "parameter settings, mouse input and some seconds of playing (in that order).",
                 "toneloom-snapshot"};
    app.add_option("--preset", options.preset, "A preset slot number or an exact preset name");
    app.add_option("--set", options.settings,
                   "\"PARAM=VALUE\": a parameter's display name and a value text or a number in "
                   "its units, as toneloom-render takes it; applied after the preset, in order")
        ->allow_extra_args(false);
    std::vector<std::string> clicks;
    std::vector<std::string> rightClicks;
    std::vector<std::string> drags;
    CLI::Option* click =
        app.add_option("--click", clicks, "X,Y: a left click at editor pixel (X, Y)")
            ->allow_extra_args(false);
    CLI::Option* rightClick =
        app.add_option("--right-click", rightClicks, "X,Y: a right click at editor pixel (X, Y)")
            ->allow_extra_args(false);
    CLI::Option* drag =
        app.add_option("--drag", drags,
                       "X,Y,DX,DY: press at (X, Y), move by (DX, DY) while held, release; the "
                       "mouse options act in the order given")
            ->allow_extra_args(false);
    app.add_option("--play-seconds", options.playSeconds,
                   "Play this long after the input, so the LFO markers move (default 0)")
        ->check(CLI::Range(0.0, 3600.0));
    app.add_option("--tempo", options.tempo, "Host tempo in BPM while playing (default 120)")
        ->check(CLI::Range(1.0, 999.0));
    app.add_option("--scale", options.scale,
                   "Draw the editor at this screen scale, 1 to 4 (1.5: a 150 % display; the "
                   "picture is round(470 F) x round(455 F) pixels). Mouse positions stay in the "
                   "470 x 455 layout's pixels (default 1)")
        ->check(CLI::Range(1.0, 4.0));
    app.add_option("--out", options.out, "The PNG file to write");
    app.add_flag("--list-presets", options.listPresets, "List the preset slots and exit");
    app.add_flag("--list-params", options.listParams, "List the parameters and exit");
    app.set_version_flag("--version", std::string("toneloom-snapshot ") + TONELOOM_VERSION_STRING,
                         "Print the version and exit");

    int exitCode = 0;
    if (!ParseCommandLine(app, argc, argv, &exitCode)) {
        return exitCode;
    }
    std::string error;
    const std::map<const CLI::Option*, MouseAction::Kind> mouseKinds = {
        {click, MouseAction::kClick},
        {rightClick, MouseAction::kRightClick},
        {drag, MouseAction::kDrag},
    };
    if (!CollectActions(app, mouseKinds, &options.actions, &error)) {
        return Fail(error, kExitUsage);
    }
    const bool listing = options.listPresets || options.listParams;
    if (!listing) {
        if (options.out.empty()) {
            return Fail("--out FILE.png is required", kExitUsage);
        }
        if (!EndsWithPng(options.out)) {
            return Fail("--out '" + options.out +
                            "': the picture is written as PNG, so the "
                            "name must end in .png",
                        kExitUsage);
        }
    }

    SnapshotSession session;
    if (!session.Open(kSampleRate, kBlockFrames, &error)) {
        return Fail(error);
    }
    if (options.listParams) {
        std::fputs(session.Parameters().Describe().c_str(), stdout);
        return 0;
    }
    if (options.listPresets) {
        const std::vector<std::string>& names = session.PresetNames();
        for (size_t slot = 0; slot < names.size(); ++slot) {
            std::printf("%3zu  %s\n", slot, names[slot].c_str());
        }
        return 0;
    }

    if (!session.ApplyPresetAndSettings(options.preset, options.settings, &error)) {
        return Fail(error);
    }
    session.OpenEditor(static_cast<float>(options.scale));
    for (const MouseAction& action : options.actions) {
        if (!session.Perform(action, &error)) {
            return Fail(error, kExitUsage);
        }
    }
    if (options.playSeconds > 0.0 && !session.Play(options.playSeconds, options.tempo, &error)) {
        return Fail(error);
    }
    if (!WritePngFile(session.Picture(), options.out, &error)) {
        return Fail(error);
    }
    std::printf("%s\n", options.out.c_str());
    return 0;
}
