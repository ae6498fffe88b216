// What the host's Linux run loop (Steinberg::Linux::IRunLoop) calls back: a
// descriptor handler and a timer handler in one object, which forwards to
// the functions it was made with until Forget.
//
// It keeps its own reference count: a host may hold references of its own
// for a while after the plug-in unregistered it.
//
// [UI thread] Made, registered, forgotten and released on the host's loop.
#pragma once

#include "pluginterfaces/gui/iplugview.h"

#include <atomic>
#include <functional>

namespace toneloom {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class RunLoopCallback : public Steinberg::Linux::IEventHandler,
                        public Steinberg::Linux::ITimerHandler
{
public:
    // Either function may be empty. The object starts with one reference.
    RunLoopCallback(std::function<void()> onEvents, std::function<void()> onTimer);
    virtual ~RunLoopCallback() = default;
    RunLoopCallback(const RunLoopCallback&) = delete;
    RunLoopCallback& operator=(const RunLoopCallback&) = delete;

    // No further calls reach the functions; call it before the last release.
    void Forget();

    void PLUGIN_API onFDIsSet(Steinberg::Linux::FileDescriptor fd) override;
    void PLUGIN_API onTimer() override;

    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override;
    Steinberg::uint32 PLUGIN_API release() override;

private:
    std::function<void()> events;
    std::function<void()> timer;
    std::atomic<Steinberg::uint32> references{1};
};
#pragma GCC diagnostic pop

} // namespace toneloom
