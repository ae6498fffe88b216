// A slow timer on the host's UI thread that works without an open editor:
// how an instance tells the host, after its call has returned, of values a
// program change or state load set, when the host neither processes nor
// shows the editor.
//
// Linux: a timer in the host's run loop (Steinberg::Linux::IRunLoop), when
// the host context given to initialize offers one. Windows: a timer on a
// message-only window of the thread that made it, which the host's message
// loop dispatches between its calls. Elsewhere, or when the host offers no
// run loop, there is no timer.
//
// [UI thread] Made in initialize, destroyed in terminate, on the same thread.
#pragma once

#include "pluginterfaces/base/funknown.h"

#include <functional>
#include <memory>

namespace toneloom {

class HostIdleTimer
{
public:
    // Milliseconds between two ticks.
    static constexpr int kPeriodMs = 100;

    // Null when this platform or host offers no timer without a window.
    static std::unique_ptr<HostIdleTimer> Start(Steinberg::FUnknown* hostContext,
                                                std::function<void()> tick);

    virtual ~HostIdleTimer() = default;
    HostIdleTimer(const HostIdleTimer&) = delete;
    HostIdleTimer& operator=(const HostIdleTimer&) = delete;

protected:
    HostIdleTimer() = default;
};

} // namespace toneloom
