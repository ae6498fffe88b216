// The editor view the host asks the controller for: it tells the host the
// editor's size, opens the editor inside the host's window (an X11 window id
// on Linux, an HWND on Windows), closes it again and carries size changes the
// plug-in itself asked for back to the plug-in base. Hosts on high-density
// screens give it their content scale (IPlugViewContentScaleSupport): the
// editor keeps its layout and is drawn that much larger.
//
// One instance has one editor: of two views attached at once the later one
// shows it, and the earlier one is left empty until the later one is removed.
//
// Threads: every call comes from the host's UI thread; the view takes no lock.
#pragma once

#include "IEffectVST3ViewLink.h"

#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
#include "public.sdk/source/common/pluginview.h"

#include <memory>

namespace toneloom {

class IEffectVST3;
class IGraphics;
class VST3RunLoopBridge;

// The platform type this build's editor opens in.
extern const char* const kEditorPlatformType;

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class IEffectVST3View : public Steinberg::CPluginView,
                        public Steinberg::IPlugViewContentScaleSupport,
                        public IEffectVST3ViewLink
{
public:
    // Holds a reference to `owner` and joins its list of views.
    explicit IEffectVST3View(IEffectVST3* owner);
    IEffectVST3View(const IEffectVST3View&) = delete;
    IEffectVST3View& operator=(const IEffectVST3View&) = delete;

    Steinberg::tresult PLUGIN_API isPlatformTypeSupported(Steinberg::FIDString type) override;
    // Opens the editor's window in `parent`. False without an editor, and on
    // Linux when the host lends no run loop or the window cannot be made.
    Steinberg::tresult PLUGIN_API attached(void* parent, Steinberg::FIDString type) override;
    Steinberg::tresult PLUGIN_API removed() override;
    // The editor's size at its current scale.
    Steinberg::tresult PLUGIN_API getSize(Steinberg::ViewRect* size) override;
    Steinberg::tresult PLUGIN_API onSize(Steinberg::ViewRect* newSize) override;
    Steinberg::tresult PLUGIN_API canResize() override { return Steinberg::kResultFalse; }

    // IPlugViewContentScaleSupport: `factor` from 1 to 4 redraws the editor
    // at that scale and, when the size changes, asks the host's frame to
    // resize the view to it; any other factor is refused (false).
    Steinberg::tresult PLUGIN_API setContentScaleFactor(ScaleFactor factor) override;

    OBJ_METHODS(IEffectVST3View, CPluginView)
    DEFINE_INTERFACES
    DEF_INTERFACE(Steinberg::IPlugViewContentScaleSupport)
    END_DEFINE_INTERFACES(CPluginView)
    REFCOUNT_METHODS(CPluginView)

    // IEffectVST3ViewLink
    Steinberg::IPlugView* PlugView() override { return this; }
    Steinberg::IPlugFrame* HostFrame() override { return plugFrame; }
    void ExpectResize() override { expectingResize = true; }

protected:
    // Leaves the plug-in's list of views and releases the plug-in.
    ~IEffectVST3View() override;

private:
    IGraphics* Editor() const;
    // Opens the editor's window in `parent`, taking it from another view of
    // this instance that shows it. False when it cannot be opened.
    bool OpenWindowIn(void* parent);
    // Closes the editor's window in this view and lets go of the host's run
    // loop; the view stays attached for the host.
    void ReleaseWindow();
    // Takes the editor's size at its scale and asks the host's frame for it.
    void ResizeToEditor();

    IEffectVST3* plug; // one reference held
    bool expectingResize = false;
    bool windowOpen = false;
    bool scaleSettled = false; // the host's, the user's or the system's scale taken
#if SMTG_OS_LINUX
    std::unique_ptr<VST3RunLoopBridge> runLoop; // the host's run loop, while open
#endif
};
#pragma GCC diagnostic pop

} // namespace toneloom
