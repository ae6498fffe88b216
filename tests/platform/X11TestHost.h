// The host side of the X11 editor tests: a top-level window as the host's
// editor frame, a run loop that polls what the plug-in registers (as the
// simplest Linux hosts do), a plug frame that lends that loop, and real
// input through the XTEST extension.
#pragma once

#include "pluginterfaces/gui/iplugview.h"

#include <cstdint>
#include <string>
#include <vector>

struct _XDisplay;

namespace toneloom::testing {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// Watches the descriptors and runs the timers plug-ins register, on the
// calling thread, for as long as RunFor is asked to.
class TestRunLoop : public Steinberg::Linux::IRunLoop
{
public:
    TestRunLoop() = default;
    virtual ~TestRunLoop() = default;

    // Polls and dispatches for `milliseconds` of wall-clock time.
    void RunFor(int milliseconds);
    size_t HandlerCount() const { return handlers.size(); }
    size_t TimerCount() const { return timers.size(); }
    // The period of the first registered timer, 0 when there is none.
    Steinberg::Linux::TimerInterval FirstTimerPeriod() const
    {
        return timers.empty() ? 0 : timers.front().periodMs;
    }

    Steinberg::tresult PLUGIN_API registerEventHandler(
        Steinberg::Linux::IEventHandler* handler, Steinberg::Linux::FileDescriptor fd) override;
    Steinberg::tresult PLUGIN_API
    unregisterEventHandler(Steinberg::Linux::IEventHandler* handler) override;
    Steinberg::tresult PLUGIN_API registerTimer(Steinberg::Linux::ITimerHandler* handler,
                                                Steinberg::Linux::TimerInterval ms) override;
    Steinberg::tresult PLUGIN_API
    unregisterTimer(Steinberg::Linux::ITimerHandler* handler) override;

    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return ++references; }
    Steinberg::uint32 PLUGIN_API release() override;

private:
    struct Watch
    {
        Steinberg::Linux::IEventHandler* handler; // one reference held
        int fd;
    };
    struct Timer
    {
        Steinberg::Linux::ITimerHandler* handler; // one reference held
        Steinberg::Linux::TimerInterval periodMs;
        int64_t dueMs;
    };

    std::vector<Watch> handlers;
    std::vector<Timer> timers;
    Steinberg::uint32 references = 1;
};

// The host's frame around a view; offers the run loop unless told not to.
class TestPlugFrame : public Steinberg::IPlugFrame
{
public:
    explicit TestPlugFrame(TestRunLoop* loop) : runLoop(loop) {}
    virtual ~TestPlugFrame() = default;

    Steinberg::tresult PLUGIN_API resizeView(Steinberg::IPlugView* view,
                                             Steinberg::ViewRect* newSize) override;
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return ++references; }
    Steinberg::uint32 PLUGIN_API release() override;

    TestRunLoop* runLoop; // null: a host without a run loop
    int resizeRequests = 0;
    Steinberg::ViewRect lastSize; // of the latest resize request

private:
    Steinberg::uint32 references = 1;
};

#pragma GCC diagnostic pop

// A top-level window standing in for the host's editor frame, with a display
// connection of its own for looking at it and for sending input.
class HostWindow
{
public:
    // Opens the display and maps a window of the given size at (left, top).
    HostWindow(int left, int top, int width, int height);
    // Looks at and sends input to `existing`, another program's top-level
    // window (left as it is when this goes).
    explicit HostWindow(unsigned long existing);
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    bool Valid() const { return window != 0; }
    // Destroys the window (and the plug-in's inside it) as a host closing
    // its frame does, and waits until the server has done it.
    void Destroy();
    // Hides and shows the window again, as hosts hide an editor's frame.
    void Unmap() const;
    void Map() const;
    // The window id as VST 3's "X11EmbedWindowID" parent.
    void* Parent() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(window)); }
    unsigned long Id() const { return window; }
    _XDisplay* Display() const { return display; }

    std::vector<unsigned long> Children() const;
    // The children of `parent`, any window.
    std::vector<unsigned long> ChildrenOf(unsigned long parent) const;
    // Whether `child` carries an _XEMBED_INFO property.
    bool HasXembedInfo(unsigned long child) const;
    // The window's pixels as 0x00RRGGBB, row by row.
    std::vector<uint32_t> Capture(int* width, int* height) const;

    // Input through XTEST, in the window's coordinates (may lie outside it).
    void MoveTo(int x, int y) const;
    void Press(unsigned button) const;
    void Release(unsigned button) const;
    void Click(int x, int y, unsigned button = 1) const;
    void KeyTap(unsigned long keysym) const;
    void Type(const std::string& text) const;

private:
    _XDisplay* display = nullptr;
    unsigned long window = 0;
    int left;
    int top;
    bool owned = true;
};

} // namespace toneloom::testing
