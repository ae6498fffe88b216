#include "PlatformGraphics.h"

#include "IGraphicsHeadless.h"

#include <atomic>

// Each windowed platform adds its class here, behind the definition its
// folder's library brings (see platform/CMakeLists.txt).
#if defined(TONELOOM_HAVE_WIN_GRAPHICS)
#include "IGraphicsWin.h"
#elif defined(TONELOOM_HAVE_X11_GRAPHICS)
#include "IGraphicsX11.h"
#endif

namespace toneloom {

namespace {

std::atomic<GraphicsPlatform> chosenPlatform{GraphicsPlatform::kNative};

IGraphics* NewHeadless(IEffectBase* plug, int width, int height, int frameRate, PX_Module module)
{
    auto* graphics = new IGraphicsHeadless(plug, width, height, frameRate);
    graphics->SetModuleHandle(module);
    return graphics;
}

} // namespace

void SetGraphicsPlatform(GraphicsPlatform platform)
{
    chosenPlatform.store(platform);
}

GraphicsPlatform CurrentGraphicsPlatform()
{
    return chosenPlatform.load();
}

IGraphics* NewPlatformGraphics(IEffectBase* plug, int width, int height, int frameRate,
                               PX_Module module)
{
    if (CurrentGraphicsPlatform() == GraphicsPlatform::kHeadless) {
        return NewHeadless(plug, width, height, frameRate, module);
    }
#if defined(TONELOOM_HAVE_WIN_GRAPHICS)
    auto* graphics = new IGraphicsWin(plug, width, height, frameRate);
    graphics->SetModuleHandle(module);
    return graphics;
#elif defined(TONELOOM_HAVE_X11_GRAPHICS)
    auto* graphics = new IGraphicsX11(plug, width, height, frameRate);
    graphics->SetModuleHandle(module);
    return graphics;
#else
    return NewHeadless(plug, width, height, frameRate, module);
#endif
}

} // namespace toneloom
