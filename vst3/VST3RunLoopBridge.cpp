#include "VST3RunLoopBridge.h"

#include "IGraphicsX11.h"

#include <atomic>

using namespace Steinberg;

namespace toneloom {

// The object the host calls back: an FUnknown with its own reference count,
// since the host may keep references of its own while it unregisters.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class VST3RunLoopBridge::Handler : public Linux::IEventHandler, public Linux::ITimerHandler
{
public:
    explicit Handler(IGraphicsX11* target) : editor(target) {}
    virtual ~Handler() = default;

    // Called before the last reference goes: no more calls reach the editor.
    void Forget() { editor = nullptr; }

    void PLUGIN_API onFDIsSet(Linux::FileDescriptor) override
    {
        if (editor != nullptr) {
            editor->HandleEvents();
        }
    }
    void PLUGIN_API onTimer() override
    {
        if (editor != nullptr) {
            editor->Tick();
        }
    }

    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override
    {
        if (obj == nullptr) {
            return kInvalidArgument;
        }
        if (FUnknownPrivate::iidEqual(iid, Linux::IEventHandler::iid) ||
            FUnknownPrivate::iidEqual(iid, FUnknown::iid)) {
            addRef();
            *obj = static_cast<Linux::IEventHandler*>(this);
            return kResultOk;
        }
        if (FUnknownPrivate::iidEqual(iid, Linux::ITimerHandler::iid)) {
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
    IGraphicsX11* editor; // not owned
    std::atomic<uint32> references{1};
};
#pragma GCC diagnostic pop

std::unique_ptr<VST3RunLoopBridge> VST3RunLoopBridge::FromFrame(IPlugFrame* frame)
{
    if (frame == nullptr) {
        return nullptr;
    }
    Linux::IRunLoop* hostLoop = nullptr;
    if (frame->queryInterface(Linux::IRunLoop::iid, reinterpret_cast<void**>(&hostLoop)) !=
            kResultOk ||
        hostLoop == nullptr) {
        return nullptr;
    }
    auto bridge = std::make_unique<VST3RunLoopBridge>(hostLoop);
    hostLoop->release(); // the bridge holds its own reference
    return bridge;
}

VST3RunLoopBridge::VST3RunLoopBridge(Linux::IRunLoop* hostLoop) : loop(hostLoop)
{
    loop->addRef();
}

VST3RunLoopBridge::~VST3RunLoopBridge()
{
    Detach();
    loop->release();
}

bool VST3RunLoopBridge::Attach(IGraphicsX11* editor, int fd, int periodMs)
{
    Detach();
    handler = new Handler(editor);
    const bool watching = loop->registerEventHandler(handler, fd) == kResultOk;
    const bool ticking =
        watching &&
        loop->registerTimer(handler, static_cast<Linux::TimerInterval>(periodMs)) == kResultOk;
    if (!ticking) {
        Detach();
        return false;
    }
    return true;
}

void VST3RunLoopBridge::Detach()
{
    if (handler == nullptr) {
        return;
    }
    loop->unregisterTimer(handler);
    loop->unregisterEventHandler(handler);
    handler->Forget();
    handler->release();
    handler = nullptr;
}

} // namespace toneloom
