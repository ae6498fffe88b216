// toneloom-play's window on Windows: a top-level window with the strip's
// editor (an IGraphicsWin child window) along the top and, below it, a
// container window the plug-in's view attaches to as it does in a DAW
// (kPlatformTypeHWND), driven by the thread's message loop.
//
// The strip's surface reaches down behind the plug-in's editor; while one of
// its lists is open, the container's region leaves out the list, so the list
// shows over the editor.
#pragma once

#include "PlayerWindow.h"

#include <chrono>
#include <cstdint>

namespace toneloom {

class IGraphicsWin;
class PlayerPlugFrame;

class PlayerWindowWin : public PlayerWindow
{
public:
    PlayerWindowWin() = default;
    ~PlayerWindowWin() override;

    bool Open(PlayerStrip& strip, Steinberg::IPlugView* view, const Placement& placement,
              Client& client, std::string* error) override;
    void Run() override;
    void Quit() override;
    bool Position(int* x, int* y) const override;
    void Close() override;
    std::string HostReport() const override;

    // The top-level window's messages. [UI thread]
    intptr_t HandleMessage(void* hwnd, unsigned message, uintptr_t wParam, intptr_t lParam);
    // For the mouse hook while a strip list is open: whether `hwnd` is the
    // editor's container or inside it, and closing the list.
    bool IsInEditor(void* hwnd) const;
    void CloseStripList();

private:
    void ApplyViewSize();
    void FollowStripList();
    // The window's outer size for the current client size.
    void FitFrame();

    PlayerPlugFrame* frame = nullptr;     // one reference held
    Steinberg::IPlugView* view = nullptr; // the app's; attached while open
    IGraphicsWin* stripGraphics = nullptr; // owned by the strip
    PlayerStrip* strip = nullptr;
    Client* client = nullptr;
    void* topLevel = nullptr;  // HWND
    void* container = nullptr; // HWND
    bool attached = false;
    bool quitting = false;
    bool listCut = false;
    bool painted = false;
    std::chrono::steady_clock::time_point shown;
    double firstPaintMs = -1.0; // from ShowWindow to the first WM_PAINT handled
};

} // namespace toneloom
