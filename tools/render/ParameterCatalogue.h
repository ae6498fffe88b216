// The plug-in's parameters as its controller describes them, and the
// translation of a user's "NAME=VALUE" into a parameter ID and a normalised
// value, the way a user would type it: a value text ("Monaural", "Yes",
// "1/4") or a number in the parameter's own units ("Base Freq=432",
// "Volume=80 %").
#pragma once

#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <string>
#include <vector>

namespace toneloom {

struct ParameterEntry
{
    Steinberg::Vst::ParamID id = 0;
    std::string name;
    std::string units;
    int stepCount = 0;     // 0: continuous
    double minPlain = 0.0; // in the parameter's units
    double maxPlain = 1.0;
    double defaultPlain = 0.0;
    std::string defaultText;             // as the plug-in shows the default
    std::vector<std::string> valueTexts; // by step, only for list parameters
};

class ParameterCatalogue
{
public:
    // Reads every parameter but the program-change one from `controller`.
    explicit ParameterCatalogue(Steinberg::Vst::IEditController* controller);

    const std::vector<ParameterEntry>& Entries() const { return entries; }

    // Turns "NAME=VALUE" into a change. Where several parameters share the
    // name, a value text picks the one that has it and a number picks the one
    // measured in units (the milliseconds, not the divisions). False with a
    // one-line reason for an unknown name, a value that does not parse or a
    // value outside the range.
    bool Resolve(const std::string& assignment, Steinberg::Vst::ParamID* id, double* normalised,
                 std::string* error) const;

    // One line per parameter: name, range, default, unit and value texts.
    std::string Describe() const;
    // The same as a JSON array of objects, one per parameter: "id", "name",
    // "units", "min", "max", "default" (in the units), "defaultText",
    // "steps" (0 for continuous) and "values" (a list's value texts).
    std::string DescribeJson() const;

    // A parameter's normalised value in its units, and back.
    double PlainOf(Steinberg::Vst::ParamID id, double normalised) const;
    double NormalisedOf(Steinberg::Vst::ParamID id, double plain) const;

    // The current value of the first parameter named `name`, in its units
    // (a list's index for a list); false when no parameter has that name.
    bool CurrentPlain(const std::string& name, double* plain) const;

private:
    // The plug-in's text for step `step` of a parameter with `stepCount` steps.
    std::string StepText(Steinberg::Vst::ParamID id, int step, int stepCount) const;
    bool ResolveNumber(const ParameterEntry& entry, double plain, double* normalised,
                       std::string* error) const;

    Steinberg::Vst::IEditController* controller;
    std::vector<ParameterEntry> entries;
};

// The number `text` spells, allowing surrounding blanks and a trailing unit
// label (`units`, compared without regard to case); false if it is not one.
bool ParseNumberWithUnits(const std::string& text, const std::string& units, double* value);

} // namespace toneloom
