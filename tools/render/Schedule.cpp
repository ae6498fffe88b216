#include "Schedule.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace toneloom {

namespace {

constexpr double kLongestSeconds = 86400.0; // the longest render

std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return "";
    }
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// The line without its comment: '#' at the start or after a blank, outside
// double quotes.
std::string WithoutComment(const std::string& line)
{
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') {
            quoted = !quoted;
        } else if (line[i] == '#' && !quoted &&
                   (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) {
            return line.substr(0, i);
        }
    }
    return line;
}

std::string Unquoted(const std::string& text)
{
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

bool AllDigits(const std::string& text)
{
    if (text.empty()) {
        return false;
    }
    for (unsigned char c : text) {
        if (!std::isdigit(c)) {
            return false;
        }
    }
    return true;
}

// Whole digits and an optional ".fraction"; false otherwise.
bool ParseDecimal(const std::string& text, double* value)
{
    const size_t dot = text.find('.');
    const std::string whole = text.substr(0, dot);
    if (!AllDigits(whole)) {
        return false;
    }
    if (dot != std::string::npos && !AllDigits(text.substr(dot + 1))) {
        return false;
    }
    *value = std::strtod(text.c_str(), nullptr);
    return std::isfinite(*value);
}

} // namespace

std::string FormatScheduleTime(double seconds)
{
    char text[32];
    const auto whole = static_cast<long long>(seconds);
    const double fraction = seconds - double(whole);
    if (whole >= 3600) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60,
                      whole % 60);
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    }
    std::string out = text;
    if (fraction > 0.0) {
        char tail[16];
        std::snprintf(tail, sizeof tail, "%.3f", fraction);
        out += std::string(tail).substr(1);
        while (out.back() == '0') {
            out.pop_back();
        }
    }
    return out;
}

void Schedule::Retime(int sampleRateHz)
{
    for (ScheduleLine& line : lines) {
        line.frame = std::llround(line.seconds * sampleRateHz);
        line.rampFromFrame = std::llround(line.rampFromSeconds * sampleRateHz);
    }
}

std::string Schedule::Where(const ScheduleLine& line) const
{
    return fileName + ":" + std::to_string(line.lineNumber);
}

bool ParseScheduleTime(const std::string& text, double* seconds)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t colon = text.find(':'); colon != std::string::npos; colon = text.find(':', start)) {
        parts.push_back(text.substr(start, colon - start));
        start = colon + 1;
    }
    parts.push_back(text.substr(start));
    if (parts.size() > 3) {
        return false;
    }
    // Only the last part may carry a fraction; the ones after the first are
    // two digits below 60.
    double last = 0.0;
    if (!ParseDecimal(parts.back(), &last)) {
        return false;
    }
    double total = last;
    if (parts.size() > 1) {
        const std::string secondsText = parts.back().substr(0, parts.back().find('.'));
        if (secondsText.size() != 2 || last >= 60.0) {
            return false;
        }
        double scale = 60.0;
        for (size_t i = parts.size() - 1; i-- > 0;) {
            const std::string& part = parts[i];
            if (!AllDigits(part) ||
                (i > 0 && (part.size() != 2 || std::atoi(part.c_str()) >= 60))) {
                return false;
            }
            total += std::atof(part.c_str()) * scale;
            scale *= 60.0;
        }
    }
    *seconds = total;
    return true;
}

bool ParseSchedule(const std::string& text, const std::string& fileName,
                   const ParameterCatalogue& parameters, const PresetFinder& findPreset,
                   int sampleRateHz, Schedule* schedule, std::string* error)
{
    schedule->fileName = fileName;
    schedule->lines.clear();
    schedule->lastSeconds = 0.0;
    // The last line that set each parameter, for ramps to start from.
    std::map<Steinberg::Vst::ParamID, ScheduleLine> previous;
    int lineNumber = 0;
    // A byte-order mark, as Windows editors write at the start, is no text.
    size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string raw = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        const std::string body = Trim(WithoutComment(raw));
        if (body.empty()) {
            continue;
        }
        ScheduleLine line;
        line.lineNumber = lineNumber;
        line.text = body;
        const auto fail = [&](const std::string& what) {
            *error = fileName + ":" + std::to_string(lineNumber) + ": " + what;
            return false;
        };

        const size_t gap = body.find_first_of(" \t");
        const std::string timeText = body.substr(0, gap);
        if (!ParseScheduleTime(timeText, &line.seconds)) {
            return fail("bad time '" + timeText + "' (seconds, M:SS or H:MM:SS)");
        }
        if (line.seconds > kLongestSeconds) {
            return fail("time " + timeText + " is past 24 hours");
        }
        if (!schedule->lines.empty() && line.seconds < schedule->lines.back().seconds) {
            return fail("time " + timeText + " comes before the line above it (" +
                        FormatScheduleTime(schedule->lines.back().seconds) +
                        "): lines go in time order");
        }
        line.frame = std::llround(line.seconds * sampleRateHz);
        std::string change = gap == std::string::npos ? "" : Trim(body.substr(gap));
        if (change.empty()) {
            return fail("nothing to change at " + timeText);
        }

        if (change.compare(0, 6, "preset") == 0 &&
            (change.size() == 6 || change[6] == ' ' || change[6] == '\t')) {
            const std::string name = Unquoted(Trim(change.substr(6)));
            if (name.empty()) {
                return fail("preset needs a name or a slot number");
            }
            std::string why;
            if (!findPreset(name, &line.presetSlot, &why)) {
                return fail(why);
            }
            line.isPreset = true;
            previous.clear(); // a program change sets every parameter
        } else {
            const size_t lastGap = change.find_last_of(" \t");
            if (lastGap != std::string::npos && Trim(change.substr(lastGap)) == "ramp") {
                line.ramp = true;
                change = Trim(change.substr(0, lastGap));
            }
            change = Unquoted(change);
            const size_t equals = change.find('=');
            if (equals == std::string::npos) {
                return fail("expected NAME=VALUE or preset NAME, not '" + change + "'");
            }
            std::string assignment =
                change.substr(0, equals + 1) + Unquoted(Trim(change.substr(equals + 1)));
            std::string why;
            if (!parameters.Resolve(assignment, &line.id, &line.normalised, &why)) {
                return fail(why);
            }
            line.plain = parameters.PlainOf(line.id, line.normalised);
            if (line.ramp) {
                const auto from = previous.find(line.id);
                if (from == previous.end()) {
                    return fail("a ramp needs an earlier line for \"" +
                                Trim(change.substr(0, equals)) + "\" to start from");
                }
                line.rampFromSeconds = from->second.seconds;
                line.rampFromFrame = from->second.frame;
                line.rampFromPlain = from->second.plain;
            }
            previous[line.id] = line;
        }
        schedule->lines.push_back(line);
        schedule->lastSeconds = line.seconds;
    }
    return true;
}

bool LoadSchedule(const std::string& path, const ParameterCatalogue& parameters,
                  const PresetFinder& findPreset, int sampleRateHz, Schedule* schedule,
                  std::string* error)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        *error = "cannot read the schedule '" + path + "'";
        return false;
    }
    std::string text;
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        text.append(buffer, n);
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        *error = "cannot read the schedule '" + path + "'";
        return false;
    }
    return ParseSchedule(text, path, parameters, findPreset, sampleRateHz, schedule, error);
}

} // namespace toneloom
