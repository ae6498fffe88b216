// The host side of the Windows editor tests: a top-level window standing in
// for the host's editor frame, its message loop, and input sent as a user's
// mouse and keyboard would (SendInput).
#pragma once

#include <windows.h>

#include <string>

namespace toneloom::testing {

constexpr int kAbsoluteRange = 65535; // SendInput's absolute coordinates

// Runs the thread's message loop for `milliseconds`.
inline void Pump(DWORD milliseconds)
{
    const DWORD end = GetTickCount() + milliseconds;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

inline LRESULT CALLBACK HostWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// A top-level window standing in for the host's editor frame, and input
// sent to the system as a user's mouse and keyboard would.
class HostWindow
{
public:
    HostWindow(int left, int top, int width, int height)
    {
        static const bool registered = [] {
            WNDCLASSA windowClass{};
            windowClass.lpfnWndProc = HostWindowProc;
            windowClass.hInstance = GetModuleHandleA(nullptr);
            windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
            windowClass.lpszClassName = "ToneloomTestHost";
            return RegisterClassA(&windowClass) != 0;
        }();
        (void)registered;
        window =
            CreateWindowExA(0, "ToneloomTestHost", "Host", WS_POPUP | WS_VISIBLE, left, top, width,
                            height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        SetForegroundWindow(window);
        Pump(50);
    }
    ~HostWindow() { Destroy(); }

    // Destroys the window, and the plug-in's inside it, as a host closing
    // its frame does.
    void Destroy()
    {
        if (window != nullptr) {
            DestroyWindow(window);
            window = nullptr;
        }
    }

    HWND Handle() const { return window; }
    HWND Editor() const { return FindWindowExA(window, nullptr, "IEffectWndClass", nullptr); }

    void MoveTo(int x, int y) const
    {
        POINT point{x, y};
        ClientToScreen(window, &point);
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dx = point.x * kAbsoluteRange / (GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = point.y * kAbsoluteRange / (GetSystemMetrics(SM_CYSCREEN) - 1);
        input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        SendInput(1, &input, sizeof input);
        Pump(20);
    }
    void Mouse(DWORD flags, DWORD data = 0) const
    {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = flags;
        input.mi.mouseData = data;
        SendInput(1, &input, sizeof input);
        Pump(20);
    }
    void Click(int x, int y, bool right = false) const
    {
        MoveTo(x, y);
        Mouse(right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN);
        Mouse(right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP);
    }
    void Key(WORD virtualKey) const
    {
        INPUT inputs[2] = {};
        inputs[0].type = INPUT_KEYBOARD;
        inputs[0].ki.wVk = virtualKey;
        inputs[1] = inputs[0];
        inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, inputs, sizeof inputs[0]);
        Pump(20);
    }
    void Type(const std::string& text) const
    {
        for (const char c : text) {
            Key(c == '.' ? VK_DECIMAL : static_cast<WORD>(c));
        }
    }
    // The colour of a client pixel of the host window, as on screen.
    COLORREF PixelAt(int x, int y) const
    {
        HDC dc = GetDC(window);
        const COLORREF colour = GetPixel(dc, x, y);
        ReleaseDC(window, dc);
        return colour;
    }

private:
    HWND window = nullptr;
};

} // namespace toneloom::testing
