#include "VST3RunLoopBridge.h"

#include "IGraphicsX11.h"
#include "RunLoopCallback.h"

using namespace Steinberg;

namespace toneloom {

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
    handler =
        new RunLoopCallback([editor] { editor->HandleEvents(); }, [editor] { editor->Tick(); });
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
