// The idle timer in the host's Linux run loop.
#include "HostIdleTimer.h"

#include "pluginterfaces/gui/iplugview.h"

#include <atomic>
#include <utility>

using namespace Steinberg;

namespace toneloom {

namespace {

// The object the host calls back; it has its own reference count, as the
// host may hold references of its own after unregistering it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class TimerCallback : public Linux::ITimerHandler
{
public:
    explicit TimerCallback(std::function<void()> onTick) : tick(std::move(onTick)) {}
    virtual ~TimerCallback() = default;

    // No further ticks reach the owner.
    void Forget() { tick = nullptr; }

    void PLUGIN_API onTimer() override
    {
        if (tick) {
            tick();
        }
    }
    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override
    {
        if (obj == nullptr) {
            return kInvalidArgument;
        }
        if (FUnknownPrivate::iidEqual(iid, Linux::ITimerHandler::iid) ||
            FUnknownPrivate::iidEqual(iid, FUnknown::iid)) {
            addRef();
            *obj = static_cast<Linux::ITimerHandler*>(this);
            return kResultOk;
        }
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() override { return ++references; }
    uint32 PLUGIN_API release() override
    {
        const uint32 left = --references;
        if (left == 0) {
            delete this;
        }
        return left;
    }

private:
    std::function<void()> tick;
    std::atomic<uint32> references{1};
};
#pragma GCC diagnostic pop

class RunLoopIdleTimer : public HostIdleTimer
{
public:
    RunLoopIdleTimer(Linux::IRunLoop* hostLoop, TimerCallback* timerCallback)
        : loop(hostLoop), callback(timerCallback)
    {
    }
    ~RunLoopIdleTimer() override
    {
        loop->unregisterTimer(callback);
        callback->Forget();
        callback->release();
        loop->release();
    }

private:
    Linux::IRunLoop* loop;    // one reference held
    TimerCallback* callback; // one reference held
};

} // namespace

std::unique_ptr<HostIdleTimer> HostIdleTimer::Start(FUnknown* hostContext,
                                                    std::function<void()> tick)
{
    if (hostContext == nullptr) {
        return nullptr;
    }
    Linux::IRunLoop* loop = nullptr;
    if (hostContext->queryInterface(Linux::IRunLoop::iid, reinterpret_cast<void**>(&loop)) !=
            kResultOk ||
        loop == nullptr) {
        return nullptr;
    }
    auto* callback = new TimerCallback(std::move(tick));
    if (loop->registerTimer(callback, static_cast<Linux::TimerInterval>(kPeriodMs)) != kResultOk) {
        callback->release();
        loop->release();
        return nullptr;
    }
    return std::make_unique<RunLoopIdleTimer>(loop, callback);
}

} // namespace toneloom
