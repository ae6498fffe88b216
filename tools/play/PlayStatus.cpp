#include "PlayStatus.h"

#include <cstdint>

namespace toneloom {

LineLabels LabelLines(const Schedule& schedule, const std::vector<std::string>& presetNames,
                      const std::string& startPreset)
{
    LineLabels labels;
    std::string preset = startPreset;
    for (const ScheduleLine& line : schedule.lines) {
        if (line.isPreset && line.presetSlot < static_cast<int>(presetNames.size())) {
            preset = presetNames[static_cast<size_t>(line.presetSlot)];
        }
        labels.lines.push_back("line " + std::to_string(line.lineNumber) + ": " + line.text);
        labels.presets.push_back(preset);
    }
    return labels;
}

std::string PlayTimeText(const LivePlayer& player, double totalSeconds)
{
    // Whole seconds: the text changes once a second.
    std::string text =
        FormatScheduleTime(static_cast<double>(static_cast<int64_t>(player.ElapsedSeconds())));
    if (totalSeconds > 0.0) {
        text += " / " + FormatScheduleTime(totalSeconds);
    }
    return text;
}

std::string PlayLineText(const LivePlayer& player, const LineLabels& labels)
{
    const int line = player.CurrentLine();
    if (line >= 0 && line < static_cast<int>(labels.lines.size())) {
        return labels.lines[static_cast<size_t>(line)];
    }
    return "";
}

std::string PlayPresetText(const LivePlayer& player, const LineLabels& labels,
                           const std::string& startPreset)
{
    const int line = player.CurrentLine();
    if (line >= 0 && line < static_cast<int>(labels.presets.size())) {
        return labels.presets[static_cast<size_t>(line)];
    }
    return startPreset;
}

} // namespace toneloom
