// The one place that picks the editor's platform class: the product builds
// its editor through NewPlatformGraphics. Windows builds get the Windows
// window class and Linux builds the X11 one once those platforms are built;
// tests and tools ask for the headless platform with SetGraphicsPlatform
// before the plug-in is constructed. No platform touches a display before
// OpenWindow.
#pragma once

#include "PX_Types.h"

namespace toneloom {

class IEffectBase;
class IGraphics;

enum class GraphicsPlatform
{
    kNative,   // the build's windowed platform (headless where none is built)
    kHeadless, // no display: tests, screenshots, command-line tools
};

// [any thread] The platform of editors made from now on, process-wide.
void SetGraphicsPlatform(GraphicsPlatform platform);
GraphicsPlatform CurrentGraphicsPlatform();

// [UI thread] A new editor of width x height pixels for `plug`; `frameRate`
// of 0 or less means the default. `module` is where its pictures live
// (the module handle on Windows; ignored elsewhere). Owned by the caller
// until handed to the plug-in base with AttachEditor.
IGraphics* NewPlatformGraphics(IEffectBase* plug, int width, int height, int frameRate,
                               PX_Module module);

} // namespace toneloom
