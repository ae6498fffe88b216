#include "IGraphicsHeadless.h"

#include "IEffectBase.h"
#include "IParamRecord.h"
#include "PX_Draw.h"
#include "PX_Png.h"
#include "PX_SysBitmap.h"
#include "TextBuffer.h"

namespace toneloom {

namespace {

constexpr int kDisplayTextSize = 64;
constexpr double kMillisecondsPerSecond = 1000.0;

} // namespace

IGraphicsHeadless::IGraphicsHeadless(IEffectBase* plug, int editorWidth, int editorHeight,
                                     int framesPerSecond)
    : IGraphics(plug, editorWidth, editorHeight, framesPerSecond)
{
}

IGraphicsHeadless::~IGraphicsHeadless()
{
    windowOpen = false;
    gestureCountdown = 0;
    DropValueEntry();
}

bool IGraphicsHeadless::PresentArea(const IBox& area)
{
    const IBox whole{0, 0, SurfaceWidth(), SurfaceHeight()};
    const IBox shown = area.Intersect(whole);
    if (shown.IsEmpty() || Surface() == nullptr) {
        return true;
    }
    // The screen is made with the first picture it shows, and follows the scale.
    if (screen.Width() != SurfaceWidth() || screen.Height() != SurfaceHeight()) {
        screen.SetSize(SurfaceWidth(), SurfaceHeight());
    }
    BlitRect(&screen, Surface(), shown.left, shown.top, shown.left, shown.top, shown.Width(),
             shown.Height(), 1.0f, kPxCopy);
    ++presentCount;
    lastPresented = shown;
    return true;
}

void IGraphicsHeadless::Resize(int newWidth, int newHeight)
{
    DropValueEntry(); // its control is deleted with the others
    IGraphics::Resize(newWidth, newHeight);
    if (Surface() != nullptr && Surface()->Pixels() != nullptr) {
        EnsureSurfacePixels();
    }
    if (screen.Pixels() != nullptr) {
        screen.SetSize(SurfaceWidth(), SurfaceHeight());
    }
}

void IGraphicsHeadless::EditControlText(ITextControl*) {}

void IGraphicsHeadless::PromptParamValue(IControl* control, IParamRecord* param, bool)
{
    if (control == nullptr || param == nullptr || entryControl != nullptr) {
        return;
    }
    char text[kDisplayTextSize] = {};
    param->FormatValue(param->Value(), false, text, sizeof text);
    entryControl = control;
    entryParam = param;
    entryText = text;
    entryState = kEntryFocused;
    ++entryRequests;
}

void IGraphicsHeadless::HostFolder(TextBuffer* folder)
{
    if (folder != nullptr) {
        folder->Set("");
    }
}

void IGraphicsHeadless::ModuleFolder(TextBuffer* folder)
{
    if (folder != nullptr) {
        folder->Set("");
    }
}

void IGraphicsHeadless::PromptForFile(TextBuffer* path, int, const char*, const char*)
{
    if (path != nullptr) {
        path->Set("");
    }
}

bool IGraphicsHeadless::PromptForColor(IRgba*, const char*)
{
    return false;
}

bool IGraphicsHeadless::OpenUrl(const char* url, const char*, const char*, const char*)
{
    if (url == nullptr || url[0] == '\0') {
        return false;
    }
    openedUrls.emplace_back(url);
    return urlOpenResult;
}

void IGraphicsHeadless::StartGestureTimer(int ticks)
{
    gestureCountdown = ticks > 0 ? ticks : 0;
}

void IGraphicsHeadless::StopGestureTimer()
{
    gestureCountdown = 0;
}

void* IGraphicsHeadless::OpenWindow(void*)
{
    if (windowOpen) {
        CloseWindow();
    }
    windowOpen = true;
    InvalidateAll();
    return NativeWindow();
}

void IGraphicsHeadless::CloseWindow()
{
    if (!windowOpen) {
        return;
    }
    if (gestureCountdown > 0 && Plug() != nullptr) {
        Plug()->FlushDeferredEditEnd();
    }
    gestureCountdown = 0;
    EndOpenGesture();
    ReleaseMouse();
    DropValueEntry();
    windowOpen = false;
}

void* IGraphicsHeadless::NativeWindow()
{
    return windowOpen ? this : nullptr;
}

void IGraphicsHeadless::RefreshTooltip() {}

PX_IBitmap* IGraphicsHeadless::LoadImageResource(int resourceId, const char*)
{
    return LoadPngResource(module, resourceId, nullptr);
}

bool IGraphicsHeadless::Tick()
{
    if (!windowOpen) {
        return false;
    }
    TickValueEntry();
    IBox area;
    bool drew = false;
    if (CollectDirtyArea(&area)) {
        DrawArea(area);
        drew = !area.IsEmpty();
    }
    if (gestureCountdown > 0) {
        --gestureCountdown;
        if (gestureCountdown == 0 && Plug() != nullptr) {
            Plug()->FlushDeferredEditEnd();
        }
    }
    if (Plug() != nullptr) {
        Plug()->EditorTick();
    }
    return drew;
}

int IGraphicsHeadless::TimerPeriodMs() const
{
    return static_cast<int>(kMillisecondsPerSecond / FrameRate());
}

void IGraphicsHeadless::TypeValueEntry(const char* text)
{
    if (entryControl != nullptr) {
        entryText = text != nullptr ? text : "";
        entryState = kEntryFocused;
    }
}

void IGraphicsHeadless::CommitValueEntry()
{
    if (entryControl != nullptr) {
        entryState = kEntryCommit;
    }
}

void IGraphicsHeadless::CancelValueEntry()
{
    if (entryControl != nullptr) {
        entryState = kEntryCancel;
    }
}

void IGraphicsHeadless::TickValueEntry()
{
    if (entryControl == nullptr) {
        return;
    }
    switch (entryState) {
    case kEntryFocused:
        entryState = kEntryIdle;
        return;
    case kEntryCommit:
        ApplyEditedText(entryControl, entryParam, entryText.c_str());
        break;
    case kEntryCancel:
        break;
    default:
        return;
    }
    IControl* control = entryControl;
    DropValueEntry();
    control->EndValuePrompt();
}

void IGraphicsHeadless::DropValueEntry()
{
    entryControl = nullptr;
    entryParam = nullptr;
    entryText.clear();
    entryState = kEntryIdle;
}

} // namespace toneloom
