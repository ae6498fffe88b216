// An editor platform without a display, for tests, screenshots and
// command-line tools. It draws exactly as a windowed platform does; "the
// window" is a flag, presenting copies into a screen bitmap that callers
// read, the redraw timer runs one tick per Tick() call, and native requests
// (value entry, web addresses) are recorded instead of shown.
//
// Threads: like every platform, one thread (the caller's "UI thread") drives
// Tick, the dispatch and the window calls.
#pragma once

#include "IGraphics.h"
#include "PX_MemBitmap.h"
#include "PX_Types.h"

#include <string>
#include <vector>

namespace toneloom {

class IGraphicsHeadless : public IGraphics
{
public:
    IGraphicsHeadless(IEffectBase* plug, int width, int height, int frameRate = 0);
    // Closes the window without calling the plug-in (which may be going away).
    ~IGraphicsHeadless() override;

    // Where pictures come from (ignored outside Windows).
    void SetModuleHandle(PX_Module handle) { module = handle; }

    bool PresentArea(const IBox& area) override;
    void Resize(int newWidth, int newHeight) override;
    void EditControlText(ITextControl* textControl) override;
    // Opens a value entry holding the parameter's display text, unless one is
    // open already or either argument is missing.
    void PromptParamValue(IControl* control, IParamRecord* param, bool compact) override;
    void HostFolder(TextBuffer* folder) override;   // ""
    void ModuleFolder(TextBuffer* folder) override; // ""
    void PromptForFile(TextBuffer* path, int action, const char* folder,
                       const char* extensions) override;             // "": nothing chosen
    bool PromptForColor(IRgba* colour, const char* prompt) override; // false: cancelled
    // Records the address; answers what SetUrlOpenResult set (true at first).
    bool OpenUrl(const char* url, const char* title, const char* confirmText,
                 const char* failureText) override;
    void StartGestureTimer(int ticks) override;
    void StopGestureTimer() override;
    // "Opens" the window: the next Tick repaints the whole editor. Opening
    // while open closes first. Returns a non-null token for the window.
    void* OpenWindow(void* parent) override;
    // Ends a wheel edit still counting down and a press gesture still open,
    // and drops an open value entry without applying it.
    void CloseWindow() override;
    void* NativeWindow() override;
    void RefreshTooltip() override;
    PX_IBitmap* LoadImageResource(int resourceId, const char* name) override;

    // One tick of the redraw timer, while the window is open: collects a
    // committed or cancelled value entry, draws the dirty area and presents
    // it, then counts the gesture countdown down (at 0 the plug-in's
    // FlushDeferredEditEnd ends the wheel edit). False when nothing was drawn.
    bool Tick();
    // The period a windowed platform ticks at: trunc(1000 / frame rate).
    int TimerPeriodMs() const;
    int GestureCountdown() const { return gestureCountdown; }

    // What the window shows: every presented box, copied from the surface
    // (0 x 0 until the first presentation).
    const PX_IBitmap& Screen() const { return screen; }
    int PresentCount() const { return presentCount; }
    const IBox& LastPresented() const { return lastPresented; }

    // The value entry, as a user would fill it in.
    bool ValueEntryOpen() const { return entryControl != nullptr; }
    IControl* ValueEntryControl() const { return entryControl; }
    const char* ValueEntryText() const { return entryText.c_str(); }
    // Replaces the entry's text (as typing would).
    void TypeValueEntry(const char* text);
    // Return or a left click: applied at the next tick.
    void CommitValueEntry();
    // A right click in the editor: discarded at the next tick.
    void CancelValueEntry();
    int ValueEntryRequests() const { return entryRequests; }

    const std::vector<std::string>& OpenedUrls() const { return openedUrls; }
    void SetUrlOpenResult(bool opens) { urlOpenResult = opens; }

private:
    enum EntryState
    {
        kEntryIdle = 0,
        kEntryFocused = 1,
        kEntryCancel = 2,
        kEntryCommit = 3,
    };

    void TickValueEntry();
    void DropValueEntry();

    PX_Module module = nullptr;
    bool windowOpen = false;
    int gestureCountdown = 0; // ticks; 0: not armed
    PX_MemBitmap screen;
    int presentCount = 0;
    IBox lastPresented;
    IControl* entryControl = nullptr;
    IParamRecord* entryParam = nullptr;
    std::string entryText;
    int entryState = kEntryIdle;
    int entryRequests = 0;
    std::vector<std::string> openedUrls;
    bool urlOpenResult = true;
};

} // namespace toneloom
