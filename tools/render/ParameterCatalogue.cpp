#include "ParameterCatalogue.h"

#include "HostText.h"
#include "JsonText.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace toneloom {

namespace {

using Steinberg::Vst::ParameterInfo;
using Steinberg::Vst::ParamID;

std::string Utf8(const Steinberg::Vst::String128 text)
{
    char out[512];
    Utf16ToText(text, 128, out, sizeof out);
    return out;
}

std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return "";
    }
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool EqualIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

// A text is a name of a value, not a number, when it does not read whole as one.
bool IsNumberText(const std::string& text)
{
    double ignored = 0.0;
    return ParseNumberWithUnits(text, "", &ignored);
}

std::string FormatPlain(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

} // namespace

bool ParseNumberWithUnits(const std::string& text, const std::string& units, double* value)
{
    std::string body = Trim(text);
    if (!units.empty() && body.size() > units.size() &&
        EqualIgnoringCase(body.substr(body.size() - units.size()), units)) {
        body = Trim(body.substr(0, body.size() - units.size()));
    }
    if (body.empty()) {
        return false;
    }
    char* end = nullptr;
    const double parsed = std::strtod(body.c_str(), &end);
    if (end == body.c_str() || *end != '\0' || !std::isfinite(parsed)) {
        return false;
    }
    *value = parsed;
    return true;
}

ParameterCatalogue::ParameterCatalogue(Steinberg::Vst::IEditController* newController)
    : controller(newController)
{
    if (controller == nullptr) {
        return;
    }
    const int count = controller->getParameterCount();
    for (int i = 0; i < count; ++i) {
        ParameterInfo info{};
        if (controller->getParameterInfo(i, info) != Steinberg::kResultOk ||
            (info.flags & ParameterInfo::kIsProgramChange) != 0) {
            continue;
        }
        ParameterEntry entry;
        entry.id = info.id;
        entry.name = Utf8(info.title);
        entry.units = Utf8(info.units);
        entry.stepCount = info.stepCount;
        entry.minPlain = controller->normalizedParamToPlain(info.id, 0.0);
        entry.maxPlain = controller->normalizedParamToPlain(info.id, 1.0);
        entry.defaultPlain =
            controller->normalizedParamToPlain(info.id, info.defaultNormalizedValue);
        Steinberg::Vst::String128 shown{};
        if (controller->getParamStringByValue(info.id, info.defaultNormalizedValue, shown) ==
            Steinberg::kResultOk) {
            entry.defaultText = Utf8(shown);
        }
        // A list names its first value ("Sine", "No", "1/32"); a stepped
        // number ("Fade", 90000 steps) shows a number there and is not listed.
        if (entry.stepCount > 0 && !IsNumberText(StepText(info.id, 0, entry.stepCount))) {
            for (int step = 0; step <= entry.stepCount; ++step) {
                entry.valueTexts.push_back(StepText(info.id, step, entry.stepCount));
            }
        }
        entries.push_back(std::move(entry));
    }
}

std::string ParameterCatalogue::StepText(Steinberg::Vst::ParamID id, int step, int stepCount) const
{
    Steinberg::Vst::String128 text{};
    controller->getParamStringByValue(id, double(step) / stepCount, text);
    return Utf8(text);
}

bool ParameterCatalogue::ResolveNumber(const ParameterEntry& entry, double plain,
                                       double* normalised, std::string* error) const
{
    const double low = std::min(entry.minPlain, entry.maxPlain);
    const double high = std::max(entry.minPlain, entry.maxPlain);
    if (plain < low || plain > high) {
        *error = "\"" + entry.name + "\" takes " + FormatPlain(low) + " to " + FormatPlain(high) +
                 (entry.units.empty() ? "" : " " + entry.units) + ", not " + FormatPlain(plain);
        return false;
    }
    *normalised = controller->plainParamToNormalized(entry.id, plain);
    return true;
}

bool ParameterCatalogue::Resolve(const std::string& assignment, ParamID* id, double* normalised,
                                 std::string* error) const
{
    const size_t equals = assignment.find('=');
    if (equals == std::string::npos) {
        *error = "--set needs NAME=VALUE, not '" + assignment + "'";
        return false;
    }
    const std::string name = Trim(assignment.substr(0, equals));
    const std::string value = Trim(assignment.substr(equals + 1));

    std::vector<const ParameterEntry*> named;
    for (const ParameterEntry& entry : entries) {
        if (entry.name == name) {
            named.push_back(&entry);
        }
    }
    if (named.empty()) {
        for (const ParameterEntry& entry : entries) {
            if (EqualIgnoringCase(entry.name, name)) {
                named.push_back(&entry);
            }
        }
    }
    if (named.empty()) {
        *error = "unknown parameter \"" + name + "\" (--list-params shows them)";
        return false;
    }

    // A value text: exact first, then regardless of case.
    for (int pass = 0; pass < 2; ++pass) {
        for (const ParameterEntry* entry : named) {
            for (size_t step = 0; step < entry->valueTexts.size(); ++step) {
                const std::string& text = entry->valueTexts[step];
                if (pass == 0 ? text == value : EqualIgnoringCase(text, value)) {
                    *id = entry->id;
                    *normalised = double(step) / entry->stepCount;
                    return true;
                }
            }
        }
    }

    // A number: parameters measured in units first, lists by their index last.
    std::stable_sort(named.begin(), named.end(),
                     [](const ParameterEntry* a, const ParameterEntry* b) {
                         return a->valueTexts.empty() && !b->valueTexts.empty();
                     });
    const ParameterEntry* target = named.front();
    double plain = 0.0;
    if (!ParseNumberWithUnits(value, target->units, &plain)) {
        std::string choices;
        for (const ParameterEntry* entry : named) {
            for (const std::string& text : entry->valueTexts) {
                choices += (choices.empty() ? "" : ", ") + text;
            }
        }
        *error = "\"" + name + "\" cannot be '" + value + "': give a number" +
                 (choices.empty() ? "" : " or one of " + choices);
        return false;
    }
    *id = target->id;
    return ResolveNumber(*target, plain, normalised, error);
}

std::string ParameterCatalogue::Describe() const
{
    std::string out;
    char line[256];
    for (const ParameterEntry& entry : entries) {
        const std::string units = entry.units.empty() ? "" : " " + entry.units;
        if (entry.valueTexts.empty()) {
            std::snprintf(line, sizeof line, "%-13s %g .. %g%s, default %s%s", entry.name.c_str(),
                          entry.minPlain, entry.maxPlain, units.c_str(), entry.defaultText.c_str(),
                          units.c_str());
            out += line;
        } else {
            std::snprintf(line, sizeof line, "%-13s default %s; values:", entry.name.c_str(),
                          entry.defaultText.c_str());
            out += line;
            for (size_t i = 0; i < entry.valueTexts.size(); ++i) {
                out += (i == 0 ? " " : ", ") + entry.valueTexts[i];
            }
        }
        out += "\n";
    }
    return out;
}

std::string ParameterCatalogue::DescribeJson() const
{
    std::string out = "[";
    for (size_t i = 0; i < entries.size(); ++i) {
        const ParameterEntry& entry = entries[i];
        out += i == 0 ? "\n" : ",\n";
        out += "  {\"id\": " + std::to_string(entry.id) + ", \"name\": " + JsonQuoted(entry.name) +
               ", \"units\": " + JsonQuoted(entry.units) +
               ", \"min\": " + JsonNumber(entry.minPlain) +
               ", \"max\": " + JsonNumber(entry.maxPlain) +
               ", \"default\": " + JsonNumber(entry.defaultPlain) +
               ", \"defaultText\": " + JsonQuoted(entry.defaultText) +
               ", \"steps\": " + std::to_string(entry.stepCount) + ", \"values\": [";
        for (size_t v = 0; v < entry.valueTexts.size(); ++v) {
            out += (v == 0 ? "" : ", ") + JsonQuoted(entry.valueTexts[v]);
        }
        out += "]}";
    }
    return out + "\n]\n";
}

double ParameterCatalogue::PlainOf(ParamID id, double normalised) const
{
    return controller->normalizedParamToPlain(id, normalised);
}

double ParameterCatalogue::NormalisedOf(ParamID id, double plain) const
{
    return controller->plainParamToNormalized(id, plain);
}

bool ParameterCatalogue::CurrentPlain(const std::string& name, double* plain) const
{
    for (const ParameterEntry& entry : entries) {
        if (entry.name == name) {
            *plain = controller->normalizedParamToPlain(entry.id,
                                                        controller->getParamNormalized(entry.id));
            return true;
        }
    }
    return false;
}

} // namespace toneloom
