// The idle timer on a message-only window of the UI thread.
#include "HostIdleTimer.h"

#include <windows.h>

#include <utility>

namespace toneloom {

namespace {

constexpr UINT_PTR kIdleTimerId = 1;
constexpr wchar_t kWindowClassName[] = L"ToneloomHostIdle";

// This module's own handle, in the plug-in and in a test program alike.
HINSTANCE ThisModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

class WindowIdleTimer : public HostIdleTimer
{
public:
    explicit WindowIdleTimer(std::function<void()> onTick) : tick(std::move(onTick)) {}
    ~WindowIdleTimer() override
    {
        if (window == nullptr) {
            return;
        }
        // No tick reaches this object from here on, whatever thread runs it.
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        if (GetCurrentThreadId() == ownerThread) {
            KillTimer(window, kIdleTimerId);
            DestroyWindow(window);
        } else {
            // A host that terminates on another thread than it initialised
            // on: only the owner thread may destroy the window.
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
    }

    bool Open()
    {
        HINSTANCE module = ThisModule();
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        if (GetClassInfoExW(module, kWindowClassName, &windowClass) == 0) {
            windowClass = WNDCLASSEXW{};
            windowClass.cbSize = sizeof windowClass;
            windowClass.lpfnWndProc = &WindowIdleTimer::Procedure;
            windowClass.hInstance = module;
            windowClass.lpszClassName = kWindowClassName;
            if (RegisterClassExW(&windowClass) == 0) {
                return false;
            }
        }
        window = CreateWindowExW(0, kWindowClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 module, nullptr);
        if (window == nullptr) {
            return false;
        }
        ownerThread = GetCurrentThreadId();
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        return SetTimer(window, kIdleTimerId, static_cast<UINT>(kPeriodMs), nullptr) != 0;
    }

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_TIMER && wParam == kIdleTimerId) {
            auto* self = reinterpret_cast<WindowIdleTimer*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
            if (self != nullptr && self->tick) {
                self->tick();
            }
            return 0;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    std::function<void()> tick;
    HWND window = nullptr;
    DWORD ownerThread = 0;
};

} // namespace

std::unique_ptr<HostIdleTimer> HostIdleTimer::Start(Steinberg::FUnknown*,
                                                    std::function<void()> tick)
{
    auto timer = std::make_unique<WindowIdleTimer>(std::move(tick));
    if (!timer->Open()) {
        return nullptr;
    }
    return timer;
}

} // namespace toneloom
