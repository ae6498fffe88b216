#include "PlayerRunLoop.h"

#include "IGraphicsX11.h"
#include "PlayerComponentHandler.h"

#include <poll.h>

#include <algorithm>

using namespace Steinberg;

namespace toneloom {

namespace {

// The shortest timer period honoured (a zero period would spin),
// milliseconds.
constexpr Linux::TimerInterval kShortestPeriodMs = 1;
// How early a timer may run to share a wake-up with another.
constexpr auto kTimerSlack = std::chrono::milliseconds(8);

} // namespace

PlayerRunLoop::~PlayerRunLoop()
{
    ReleaseAll();
}

void PlayerRunLoop::WatchOwn(int fd, Callback onReadable)
{
    watches.push_back(Watch{nextSerial++, fd, nullptr, std::move(onReadable)});
}

void PlayerRunLoop::AddOwnTimer(int periodMs, Callback onTimer)
{
    const auto period = std::chrono::milliseconds(std::max(periodMs, 1));
    timers.push_back(Timer{nextSerial++, period, Clock::now() + period, nullptr, std::move(onTimer)});
}

tresult PLUGIN_API PlayerRunLoop::registerEventHandler(Linux::IEventHandler* handler,
                                                       Linux::FileDescriptor fd)
{
    PlayerComponentHandler::FromPlugin scope;
    if (handler == nullptr || fd < 0) {
        return kInvalidArgument;
    }
    handler->addRef();
    watches.push_back(Watch{nextSerial++, fd, handler, nullptr});
    ++handlersRegistered;
    return kResultOk;
}

tresult PLUGIN_API PlayerRunLoop::unregisterEventHandler(Linux::IEventHandler* handler)
{
    PlayerComponentHandler::FromPlugin scope;
    bool found = false;
    for (auto it = watches.begin(); it != watches.end();) {
        if (handler != nullptr && it->handler == handler) {
            it->handler->release();
            ++handlersReleased;
            it = watches.erase(it);
            found = true;
        } else {
            ++it;
        }
    }
    return found ? kResultOk : kResultFalse;
}

tresult PLUGIN_API PlayerRunLoop::registerTimer(Linux::ITimerHandler* handler,
                                                Linux::TimerInterval ms)
{
    PlayerComponentHandler::FromPlugin scope;
    if (handler == nullptr) {
        return kInvalidArgument;
    }
    handler->addRef();
    const auto period = std::chrono::milliseconds(std::max(ms, kShortestPeriodMs));
    timers.push_back(Timer{nextSerial++, period, Clock::now() + period, handler, nullptr});
    ++timersRegistered;
    return kResultOk;
}

tresult PLUGIN_API PlayerRunLoop::unregisterTimer(Linux::ITimerHandler* handler)
{
    PlayerComponentHandler::FromPlugin scope;
    bool found = false;
    for (auto it = timers.begin(); it != timers.end();) {
        if (handler != nullptr && it->handler == handler) {
            it->handler->release();
            ++timersReleased;
            it = timers.erase(it);
            found = true;
        } else {
            ++it;
        }
    }
    return found ? kResultOk : kResultFalse;
}

tresult PLUGIN_API PlayerRunLoop::queryInterface(const TUID iid, void** obj)
{
    if (FUnknownPrivate::iidEqual(iid, Linux::IRunLoop::iid) ||
        FUnknownPrivate::iidEqual(iid, FUnknown::iid)) {
        addRef();
        *obj = static_cast<Linux::IRunLoop*>(this);
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

bool PlayerRunLoop::Attach(IGraphicsX11* editor, int fd, int periodMs)
{
    Detach();
    stripWatch = nextSerial;
    WatchOwn(fd, [this, editor] {
        editor->HandleEvents();
        if (afterStrip) {
            afterStrip();
        }
    });
    stripTimer = nextSerial;
    AddOwnTimer(periodMs, [this, editor] {
        editor->Tick();
        if (afterStrip) {
            afterStrip();
        }
    });
    return true;
}

void PlayerRunLoop::Detach()
{
    watches.erase(std::remove_if(watches.begin(), watches.end(),
                                 [this](const Watch& w) { return w.serial == stripWatch; }),
                  watches.end());
    timers.erase(std::remove_if(timers.begin(), timers.end(),
                                [this](const Timer& t) { return t.serial == stripTimer; }),
                 timers.end());
    stripWatch = 0;
    stripTimer = 0;
}

bool PlayerRunLoop::StillWatched(uint64_t serial) const
{
    return std::any_of(watches.begin(), watches.end(),
                       [serial](const Watch& w) { return w.serial == serial; });
}

bool PlayerRunLoop::StillTimed(uint64_t serial) const
{
    return std::any_of(timers.begin(), timers.end(),
                       [serial](const Timer& t) { return t.serial == serial; });
}

void PlayerRunLoop::RunOnce(int maxWaitMs)
{
    auto now = Clock::now();
    auto wait = std::chrono::milliseconds(maxWaitMs);
    // Rounded up: a wait rounded down to 0 ms would spin until the timer
    // is due.
    for (const Timer& t : timers) {
        wait = std::min(wait, std::chrono::ceil<std::chrono::milliseconds>(
                                  std::max(t.due - now, Clock::duration::zero())));
    }
    std::vector<pollfd> fds;
    std::vector<uint64_t> serials;
    fds.reserve(watches.size());
    for (const Watch& w : watches) {
        fds.push_back(pollfd{w.fd, POLLIN, 0});
        serials.push_back(w.serial);
    }
    ::poll(fds.data(), fds.size(), static_cast<int>(wait.count()));

    // Each callback may register or unregister others: every step looks the
    // entry up again by its serial.
    for (size_t i = 0; i < fds.size(); ++i) {
        if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0 || !StillWatched(serials[i])) {
            continue;
        }
        for (const Watch& w : watches) {
            if (w.serial != serials[i]) {
                continue;
            }
            if (w.handler != nullptr) {
                Linux::IEventHandler* handler = w.handler;
                handler->addRef();
                handler->onFDIsSet(w.fd);
                handler->release();
            } else {
                const Callback own = w.own;
                own();
            }
            break;
        }
    }
    now = Clock::now();
    // Timers due within a few milliseconds run together with the one that
    // woke the loop: the editors' redraw timers and the program's tick share
    // wake-ups instead of each costing one.
    std::vector<uint64_t> due;
    for (Timer& t : timers) {
        if (t.due <= now + kTimerSlack) {
            due.push_back(t.serial);
            // The next tick keeps the rhythm but never queues up missed ones.
            t.due = std::max(t.due + t.period, now + t.period / 2);
        }
    }
    for (uint64_t serial : due) {
        if (!StillTimed(serial)) {
            continue;
        }
        for (const Timer& t : timers) {
            if (t.serial != serial) {
                continue;
            }
            if (t.handler != nullptr) {
                Linux::ITimerHandler* handler = t.handler;
                handler->addRef();
                handler->onTimer();
                handler->release();
            } else {
                const Callback own = t.own;
                own();
            }
            break;
        }
    }
}

void PlayerRunLoop::Run()
{
    quitting = false;
    constexpr int kLongestWaitMs = 250;
    while (!quitting) {
        RunOnce(kLongestWaitMs);
    }
}

void PlayerRunLoop::ReleaseAll()
{
    for (auto it = watches.begin(); it != watches.end();) {
        if (it->handler != nullptr) {
            it->handler->release();
            ++leftRegistered;
            it = watches.erase(it);
        } else {
            ++it;
        }
    }
    for (auto it = timers.begin(); it != timers.end();) {
        if (it->handler != nullptr) {
            it->handler->release();
            ++leftRegistered;
            it = timers.erase(it);
        } else {
            ++it;
        }
    }
}

std::string PlayerRunLoop::Report() const
{
    return "handlers-registered " + std::to_string(handlersRegistered) + "\n" +
           "handlers-released " + std::to_string(handlersReleased) + "\n" +
           "timers-registered " + std::to_string(timersRegistered) + "\n" +
           "timers-released " + std::to_string(timersReleased) + "\n" +
           "left-registered " + std::to_string(leftRegistered) + "\n";
}

} // namespace toneloom
