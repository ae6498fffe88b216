// The idle timer in the host's Linux run loop.
#include "HostIdleTimer.h"

#include "RunLoopCallback.h"

#include <utility>

using namespace Steinberg;

namespace toneloom {

namespace {

class RunLoopIdleTimer : public HostIdleTimer
{
public:
    RunLoopIdleTimer(Linux::IRunLoop* hostLoop, RunLoopCallback* timerCallback)
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
    Linux::IRunLoop* loop;     // one reference held
    RunLoopCallback* callback; // one reference held
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
    auto* callback = new RunLoopCallback(nullptr, std::move(tick));
    if (loop->registerTimer(callback, static_cast<Linux::TimerInterval>(kPeriodMs)) != kResultOk) {
        callback->release();
        loop->release();
        return nullptr;
    }
    return std::make_unique<RunLoopIdleTimer>(loop, callback);
}

} // namespace toneloom
