#include "IEffectVST3View.h"

#include "IEffectVST3.h"
#include "IGraphics.h"

#if SMTG_OS_LINUX
#include "IGraphicsX11.h"
#include "VST3RunLoopBridge.h"

#include <cstdio>
#endif

#include <algorithm>
#include <cstring>
#include <vector>

using namespace Steinberg;

namespace toneloom {

#if SMTG_OS_WINDOWS
const char* const kEditorPlatformType = kPlatformTypeHWND;
#elif SMTG_OS_LINUX
const char* const kEditorPlatformType = kPlatformTypeX11EmbedWindowID;
#else
const char* const kEditorPlatformType = "";
#endif

namespace {

// The views of every instance that the host has attached and not yet
// removed, oldest first; of those of one instance one at most shows the
// editor. [UI thread]
std::vector<IEffectVST3View*>& AttachedViews()
{
    static std::vector<IEffectVST3View*> views;
    return views;
}

} // namespace

IEffectVST3View::IEffectVST3View(IEffectVST3* owner) : plug(owner)
{
    plug->addRef();
    plug->AddView(this);
}

IEffectVST3View::~IEffectVST3View()
{
    if (windowOpen) {
        removed(); // a host that released the view without removing it first
    }
    std::vector<IEffectVST3View*>& attachedViews = AttachedViews();
    attachedViews.erase(std::remove(attachedViews.begin(), attachedViews.end(), this),
                        attachedViews.end());
    plug->RemoveView(this);
    plug->release();
}

IGraphics* IEffectVST3View::Editor() const
{
    return dynamic_cast<IGraphics*>(plug->Editor());
}

tresult PLUGIN_API IEffectVST3View::isPlatformTypeSupported(FIDString type)
{
    if (Editor() == nullptr || type == nullptr || kEditorPlatformType[0] == '\0') {
        return kResultFalse;
    }
    return std::strcmp(type, kEditorPlatformType) == 0 ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API IEffectVST3View::attached(void* parent, FIDString type)
{
    IGraphics* editor = Editor();
    if (editor == nullptr) {
        return kResultFalse;
    }
    if (windowOpen) {
        removed(); // attached twice without removed: start over
    }
    // A window of another kind is not opened, and saying OK would leave the
    // host showing an empty frame it believes to be the editor.
    if (type == nullptr || kEditorPlatformType[0] == '\0' ||
        std::strcmp(type, kEditorPlatformType) != 0) {
        return kResultFalse;
    }
    if (parent == nullptr) {
        return kInvalidArgument;
    }
    // Without a scale from the host: the user's or the screen's, before the
    // window opens at that size.
    if (editor->ApplyDefaultScale(parent)) {
        ResizeToEditor();
    }
    scaleSettled = true;
    std::vector<IEffectVST3View*>& attachedViews = AttachedViews();
    if (!OpenWindowIn(parent)) {
        attachedViews.erase(std::remove(attachedViews.begin(), attachedViews.end(), this),
                            attachedViews.end());
        return kResultFalse;
    }
    if (std::find(attachedViews.begin(), attachedViews.end(), this) == attachedViews.end()) {
        attachedViews.push_back(this);
    }
    CPluginView::attached(parent, type);
    plug->EditorOpened();
    return kResultOk;
}

bool IEffectVST3View::OpenWindowIn(void* parent)
{
    IGraphics* editor = Editor();
    // Another view of this instance showing the editor gives it up first,
    // with its own run loop still set, so the host's loop is let go.
    for (IEffectVST3View* other : AttachedViews()) {
        if (other != this && other->windowOpen && other->Editor() == editor) {
            other->ReleaseWindow();
        }
    }
#if SMTG_OS_LINUX
    auto* x11 = dynamic_cast<IGraphicsX11*>(editor);
    if (x11 != nullptr) {
        runLoop = VST3RunLoopBridge::FromFrame(plugFrame);
        if (runLoop == nullptr) {
            std::fprintf(stderr, "Toneloom: the host lends no run loop (IRunLoop) to the "
                                 "editor view, so the editor cannot open\n");
            return false;
        }
        x11->SetEventLoop(runLoop.get());
    }
#endif
    if (editor->OpenWindow(parent) == nullptr) {
#if SMTG_OS_LINUX
        if (x11 != nullptr) {
            x11->SetEventLoop(nullptr);
        }
        runLoop.reset();
#endif
        return false;
    }
    windowOpen = true;
    return true;
}

tresult PLUGIN_API IEffectVST3View::removed()
{
    IGraphics* editor = Editor();
    if (editor != nullptr) {
        plug->EditorClosed();
    }
    const bool showedEditor = windowOpen;
    ReleaseWindow();
    std::vector<IEffectVST3View*>& attachedViews = AttachedViews();
    attachedViews.erase(std::remove(attachedViews.begin(), attachedViews.end(), this),
                        attachedViews.end());
    // The editor goes back to the latest other view of this instance that
    // the host still shows.
    if (showedEditor && editor != nullptr) {
        for (auto other = attachedViews.rbegin(); other != attachedViews.rend(); ++other) {
            if ((*other)->Editor() == editor) {
                (*other)->OpenWindowIn((*other)->systemWindow);
                break;
            }
        }
    }
    return CPluginView::removed();
}

void IEffectVST3View::ReleaseWindow()
{
    IGraphics* editor = Editor();
    if (windowOpen && editor != nullptr) {
        editor->CloseWindow();
#if SMTG_OS_LINUX
        if (auto* x11 = dynamic_cast<IGraphicsX11*>(editor)) {
            x11->SetEventLoop(nullptr);
        }
#endif
    }
    windowOpen = false;
#if SMTG_OS_LINUX
    runLoop.reset();
#endif
}

tresult PLUGIN_API IEffectVST3View::getSize(ViewRect* size)
{
    IGraphics* editor = Editor();
    if (editor == nullptr) {
        return kResultFalse;
    }
    if (size == nullptr) {
        return kInvalidArgument;
    }
    if (!scaleSettled) {
        // Hosts ask before attaching: the size then is the one it opens at.
        editor->ApplyDefaultScale(nullptr);
        scaleSettled = true;
    }
    *size = ViewRect(0, 0, editor->SurfaceWidth(), editor->SurfaceHeight());
    return kResultOk;
}

tresult PLUGIN_API IEffectVST3View::setContentScaleFactor(ScaleFactor factor)
{
    IGraphics* editor = Editor();
    if (editor == nullptr) {
        return kResultFalse;
    }
    const int oldWidth = editor->SurfaceWidth();
    const int oldHeight = editor->SurfaceHeight();
    if (!editor->SetScale(factor)) {
        return kResultFalse;
    }
    editor->NoteHostScale();
    scaleSettled = true;
    if (editor->SurfaceWidth() != oldWidth || editor->SurfaceHeight() != oldHeight) {
        ResizeToEditor();
    }
    return kResultOk;
}

void IEffectVST3View::ResizeToEditor()
{
    IGraphics* editor = Editor();
    ViewRect size(rect.left, rect.top, rect.left + editor->SurfaceWidth(),
                  rect.top + editor->SurfaceHeight());
    setRect(size);
    if (plugFrame != nullptr) {
        plugFrame->resizeView(this, &size);
    }
}

tresult PLUGIN_API IEffectVST3View::onSize(ViewRect* newSize)
{
    if (newSize == nullptr) {
        return kResultOk;
    }
    setRect(*newSize);
    if (expectingResize) {
        expectingResize = false;
        plug->ViewSizeChanged(newSize->left, newSize->top, newSize->right, newSize->bottom);
    }
    return kResultOk;
}

} // namespace toneloom
