// Shared by the editor tests that run in a host window (X11 and Windows):
// what a host must hear of an edit, and where a user reaches in Toneloom's
// editor.
#pragma once

#include "RecordingComponentHandler.h"

#include <gtest/gtest.h>

#include <vector>

namespace toneloom::testing {

// `events` are one edit of parameter `id`: begin, performs, end.
inline ::testing::AssertionResult IsOneGesture(const std::vector<host::HandlerEvent>& events,
                                               Steinberg::Vst::ParamID id)
{
    using host::HandlerEvent;
    if (events.size() < 3 || events.front().kind != HandlerEvent::kBeginEdit ||
        events.back().kind != HandlerEvent::kEndEdit) {
        return ::testing::AssertionFailure() << events.size() << " events, not one gesture";
    }
    for (size_t i = 1; i + 1 < events.size(); ++i) {
        if (events[i].kind != HandlerEvent::kPerformEdit) {
            return ::testing::AssertionFailure() << "event " << i << " is not a perform";
        }
    }
    for (const HandlerEvent& event : events) {
        if (event.id != id) {
            return ::testing::AssertionFailure() << "an event for parameter " << event.id;
        }
    }
    return ::testing::AssertionSuccess();
}

// Toneloom's editor, in editor pixels.
namespace toneloom_editor {
constexpr int kWidth = 470;
constexpr int kHeight = 455;
constexpr int kBaseFreqX = 53; // centre of the "Base Freq" knob
constexpr int kBaseFreqY = 120;
constexpr int kLfo1TargetX = 120; // the closed "LFO1 Target" field
constexpr int kLfo1TargetY = 308;
constexpr int kTargetListTop = 316;                 // its opened list
constexpr double kTargetListRowHeight = 91.0 / 5.0; // five rows over 91 pixels
constexpr Steinberg::Vst::ParamID kBaseFreq = 0;
constexpr Steinberg::Vst::ParamID kLfo1Target = 8;
} // namespace toneloom_editor

} // namespace toneloom::testing
