// What toneloom-play shows about a session while it plays, on the terminal's
// status line and in the window's strip: the time, the schedule's current
// line and the preset in effect.
#pragma once

#include "LivePlayer.h"
#include "Schedule.h"

#include <string>
#include <vector>

namespace toneloom {

// What each schedule line says, and the preset in effect from it on (by
// line index).
struct LineLabels
{
    std::vector<std::string> lines;   // "line 3: 0:05 Base Freq=528"
    std::vector<std::string> presets; // the preset's name, or the start's
};

LineLabels LabelLines(const Schedule& schedule, const std::vector<std::string>& presetNames,
                      const std::string& startPreset);

// "0:12", or "0:12 / 5:00" when the session has a length (seconds > 0).
std::string PlayTimeText(const LivePlayer& player, double totalSeconds);
// The current line's label ("" before the first), and the preset in effect.
std::string PlayLineText(const LivePlayer& player, const LineLabels& labels);
std::string PlayPresetText(const LivePlayer& player, const LineLabels& labels,
                           const std::string& startPreset);

} // namespace toneloom
