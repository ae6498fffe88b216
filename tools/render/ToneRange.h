// How high the plug-in's tone reaches: the right ear's oscillator runs at
// "Base Freq" + "Binaural", and an LFO aimed at either swings it higher. At
// or above half the sample rate the tone folds back to a wrong frequency, so
// the renderer warns (or, with --strict, refuses) before it renders.
#pragma once

#include "ParameterCatalogue.h"

#include <string>

namespace toneloom {

struct ToneRange
{
    double baseHz = 0.0;     // "Base Freq" as set
    double binauralHz = 0.0; // "Binaural" as set
    double highestHz = 0.0;  // the right tone's highest frequency, LFO swing included
    bool swung = false;      // an LFO raises it above baseHz + binauralHz
};

// Reads the current "Base Freq", "Binaural" and LFO settings from `parameters`.
ToneRange MeasureToneRange(const ParameterCatalogue& parameters);

// "" when the tone stays below half of `sampleRateHz`; otherwise one line
// naming both figures.
std::string FoldBackProblem(const ToneRange& range, int sampleRateHz);

} // namespace toneloom
