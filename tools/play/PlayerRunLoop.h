// toneloom-play's event loop on Linux: one poll over every file descriptor
// and timer, on the main thread. It is the VST 3 run loop the plug-in's
// editor registers its X connection and its redraw timer with (through the
// window's IPlugFrame), the loop the strip's own editor attaches to, and the
// program's own watches (the window's X connection, the app's tick).
//
// The plug-in's handlers and timers are held (one reference each) from
// registration to unregistration; whatever the plug-in leaves registered
// when the window closes is let go by ReleaseAll and counted. Callbacks run
// only from the loop itself, never from inside a registration call.
//
// Threads: [main thread].
#pragma once

#include "IX11EventLoop.h"

#include "pluginterfaces/gui/iplugview.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace toneloom {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor" // COM-style interfaces end through release()

class PlayerRunLoop : public Steinberg::Linux::IRunLoop, public IX11EventLoop
{
public:
    using Callback = std::function<void()>;

    PlayerRunLoop() = default;
    ~PlayerRunLoop() override;
    PlayerRunLoop(const PlayerRunLoop&) = delete;
    PlayerRunLoop& operator=(const PlayerRunLoop&) = delete;

    // The program's own watches, kept until the loop goes.
    void WatchOwn(int fd, Callback onReadable);
    void AddOwnTimer(int periodMs, Callback onTimer);

    // Called after each of the strip's event and timer dispatches (the
    // moments its lists open and close).
    void AfterStrip(Callback hook) { afterStrip = std::move(hook); }

    // Dispatches until Quit.
    void Run();
    void Quit() { quitting = true; }
    // One turn: waits at most `maxWaitMs` for a descriptor or a timer, then
    // dispatches what is due.
    void RunOnce(int maxWaitMs);

    // Lets go of every handler and timer the plug-in left registered.
    void ReleaseAll();
    // "handlers registered N released N left N" and the same for timers.
    std::string Report() const;

    // Steinberg::Linux::IRunLoop
    Steinberg::tresult PLUGIN_API registerEventHandler(
        Steinberg::Linux::IEventHandler* handler, Steinberg::Linux::FileDescriptor fd) override;
    Steinberg::tresult PLUGIN_API
    unregisterEventHandler(Steinberg::Linux::IEventHandler* handler) override;
    Steinberg::tresult PLUGIN_API registerTimer(Steinberg::Linux::ITimerHandler* handler,
                                                Steinberg::Linux::TimerInterval ms) override;
    Steinberg::tresult PLUGIN_API
    unregisterTimer(Steinberg::Linux::ITimerHandler* handler) override;
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    // The loop belongs to the window; references only count.
    Steinberg::uint32 PLUGIN_API addRef() override { return ++references; }
    Steinberg::uint32 PLUGIN_API release() override { return --references; }

    // IX11EventLoop, for the strip's editor.
    bool Attach(IGraphicsX11* editor, int fd, int periodMs) override;
    void Detach() override;

private:
    using Clock = std::chrono::steady_clock;
    struct Watch
    {
        uint64_t serial;
        int fd;
        Steinberg::Linux::IEventHandler* handler; // the plug-in's (one reference), or null
        Callback own;
    };
    struct Timer
    {
        uint64_t serial;
        Clock::duration period;
        Clock::time_point due;
        Steinberg::Linux::ITimerHandler* handler; // the plug-in's (one reference), or null
        Callback own;
    };

    bool StillWatched(uint64_t serial) const;
    bool StillTimed(uint64_t serial) const;

    std::vector<Watch> watches;
    std::vector<Timer> timers;
    uint64_t nextSerial = 1;
    uint64_t stripWatch = 0; // serials of the strip's registrations, 0 for none
    uint64_t stripTimer = 0;
    Callback afterStrip;
    bool quitting = false;
    Steinberg::uint32 references = 1;
    int handlersRegistered = 0;
    int handlersReleased = 0;
    int timersRegistered = 0;
    int timersReleased = 0;
    int leftRegistered = 0; // released by ReleaseAll
};

#pragma GCC diagnostic pop

} // namespace toneloom
