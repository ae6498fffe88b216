// The editor on Windows: a child window ("IEffectWndClass") inside the
// window the host hands the editor view, redrawn from a window timer, painted
// from the editor's surface with one BitBlt, with mouse and key messages
// turned into the editor's dispatch. It also hosts the native value entry (an
// "EDIT" box laid over the editor) and opens web addresses through the shell.
//
// Threads: everything runs on the thread that owns the editor window, the
// host's UI thread: messages, the timer and the host's calls. The module-wide
// open-window count and timer rate are touched only there.
//
// Native handles are kept as opaque pointers so that this header does not
// pull <windows.h> (and its macros) into the editor's other files.
#pragma once

#include "IGraphics.h"
#include "PX_Types.h"

#include <cstdint>

namespace toneloom {

class IGraphicsWin : public IGraphics
{
public:
    IGraphicsWin(IEffectBase* plug, int width, int height, int frameRate = 0);
    // Closes the window, frees the colour table, then the editor itself.
    ~IGraphicsWin() override;
    IGraphicsWin(const IGraphicsWin&) = delete;
    IGraphicsWin& operator=(const IGraphicsWin&) = delete;

    // The module instance (HINSTANCE): window class, windows and pictures.
    void SetModuleHandle(PX_Module handle) { module = handle; }

    // Copies the box of the surface to the window: BeginPaint, one BitBlt,
    // EndPaint.
    bool PresentArea(const IBox& area) override;
    void Resize(int newWidth, int newHeight) override;
    void EditControlText(ITextControl* textControl) override;
    // The native entry over `control`, holding the parameter's display text.
    void PromptParamValue(IControl* control, IParamRecord* param, bool compact) override;
    void HostFolder(TextBuffer* folder) override;
    void ModuleFolder(TextBuffer* folder) override;
    void PromptForFile(TextBuffer* path, int action, const char* folder,
                       const char* extensions) override;
    bool PromptForColor(IRgba* colour, const char* prompt) override;
    bool OpenUrl(const char* url, const char* title, const char* confirmText,
                 const char* failureText) override;
    void StartGestureTimer(int ticks) override;
    void StopGestureTimer() override;
    // `parent` is the host's HWND; returns the editor's HWND or null.
    void* OpenWindow(void* parent) override;
    void CloseWindow() override;
    void* NativeWindow() override { return window; }
    void RefreshTooltip() override;
    PX_IBitmap* LoadImageResource(int resourceId, const char* name) override;
    // Resizes the window to the surface at the new scale.
    void ScaleChanged() override;
    // The DPI of `parent` / 96 through GetDpiForWindow where the system has
    // it (Windows 10 1607 and later), else the screen's logical DPI / 96.
    float SystemScale(void* parent) override;

    // Open editor windows of this module (the class is registered while > 0).
    static int OpenWindowCount();
    // For tests: whether a native entry is open, and its window.
    void* EntryWindow() const { return entry; }
    int GestureCountdown() const { return gestureCountdown; }

    // What the window procedures call. [UI thread]
    intptr_t HandleMessage(unsigned message, uintptr_t wParam, intptr_t lParam);
    intptr_t HandleEntryMessage(void* hwnd, unsigned message, uintptr_t wParam, intptr_t lParam);

private:
    enum EntryState
    {
        kEntryIdle = 0,
        kEntryFocused = 1,
        kEntryCancel = 2,
        kEntryCommit = 3,
    };

    void Tick();
    void TickEntry();
    // Restores the entry's procedure and destroys it (or forgets it when the
    // window went with its parent).
    void DropEntry(bool destroy);
    // Ends what the window began (a wheel edit's countdown, a drag, the entry)
    // and forgets the window; `destroy`: destroy it too, else it is already
    // being destroyed (the host destroyed its own window first).
    void ForgetWindow(bool destroy);

    void* module = nullptr; // HINSTANCE
    void* window = nullptr; // HWND of the editor, null while closed
    void* entry = nullptr;  // HWND of the native entry
    IControl* entryControl = nullptr;
    IParamRecord* entryParam = nullptr;
    intptr_t entryPreviousProc = 0; // the EDIT class's procedure
    int entryState = kEntryIdle;
    int gestureCountdown = 0;          // ticks; 0: not armed
    uint32_t* customColours = nullptr; // 16 COLORREFs for PromptForColor
    void* parent = nullptr;            // HWND given to OpenWindow
    void* entryFont = nullptr;         // HFONT made for the entry
};

} // namespace toneloom
