#include "PlayerWindowWin.h"

#include "IGraphicsWin.h"
#include "PlayerPlugFrame.h"
#include "PlayerStrip.h"

#include <windows.h>

#include <algorithm>
#include <cmath>

using namespace Steinberg;

namespace toneloom {

namespace {

const wchar_t kWindowClass[] = L"ToneloomPlayerWindow";
const wchar_t kContainerClass[] = L"ToneloomPlayerEditor";
constexpr UINT_PTR kTickTimer = 1;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
// The program's icon in its resources.
constexpr int kIconId = 1;
// The window's own colour behind everything (the editor's darkest panel).
constexpr COLORREF kBackground = RGB(0x16, 0x1a, 0x22);

HWND AsWindow(void* window)
{
    return static_cast<HWND>(window);
}

LRESULT CALLBACK TopLevelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* window = reinterpret_cast<PlayerWindowWin*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (window != nullptr) {
        return window->HandleMessage(hwnd, message, wParam, lParam);
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool RegisterClasses(HINSTANCE instance, HBRUSH background)
{
    WNDCLASSEXW top{};
    top.cbSize = sizeof top;
    top.lpfnWndProc = TopLevelProc;
    top.hInstance = instance;
    top.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kIconId));
    top.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconId), IMAGE_ICON,
                                                GetSystemMetrics(SM_CXSMICON),
                                                GetSystemMetrics(SM_CYSMICON), 0));
    top.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    top.hbrBackground = background;
    top.lpszClassName = kWindowClass;
    WNDCLASSEXW inner{};
    inner.cbSize = sizeof inner;
    inner.lpfnWndProc = DefWindowProcW;
    inner.hInstance = instance;
    inner.hCursor = top.hCursor;
    inner.hbrBackground = background;
    inner.lpszClassName = kContainerClass;
    WNDCLASSEXW existing{};
    const bool haveTop = GetClassInfoExW(instance, kWindowClass, &existing) != 0 ||
                         RegisterClassExW(&top) != 0;
    const bool haveInner = GetClassInfoExW(instance, kContainerClass, &existing) != 0 ||
                           RegisterClassExW(&inner) != 0;
    return haveTop && haveInner;
}

// Per-monitor DPI awareness, so the editor draws at the screen's own
// density instead of being stretched by the system. Looked up at run time:
// older systems lack the newer calls.
void BecomeDpiAware()
{
    HMODULE user = GetModuleHandleW(L"user32.dll");
    if (user == nullptr) {
        return;
    }
    using SetContext = BOOL(WINAPI*)(HANDLE);
    auto setContext = reinterpret_cast<SetContext>(
        reinterpret_cast<void*>(GetProcAddress(user, "SetProcessDpiAwarenessContext")));
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
    if (setContext != nullptr && setContext(reinterpret_cast<HANDLE>(static_cast<intptr_t>(-4)))) {
        return;
    }
    using SetAware = BOOL(WINAPI*)();
    auto setAware = reinterpret_cast<SetAware>(
        reinterpret_cast<void*>(GetProcAddress(user, "SetProcessDPIAware")));
    if (setAware != nullptr) {
        setAware();
    }
}

// The window whose strip has a list open, for the mouse hook.
PlayerWindowWin* listHookOwner = nullptr;
HHOOK listHook = nullptr;

LRESULT CALLBACK ListMouseHook(int code, WPARAM message, LPARAM info)
{
    if (code == HC_ACTION && listHookOwner != nullptr &&
        (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN) &&
        listHookOwner->IsInEditor(reinterpret_cast<const MOUSEHOOKSTRUCT*>(info)->hwnd)) {
        listHookOwner->CloseStripList();
        return 1;
    }
    return CallNextHookEx(nullptr, code, message, info);
}

void DropListHook()
{
    if (listHook != nullptr) {
        UnhookWindowsHookEx(listHook);
        listHook = nullptr;
    }
    listHookOwner = nullptr;
}

HBRUSH BackgroundBrush()
{
    static HBRUSH brush = CreateSolidBrush(kBackground);
    return brush;
}

} // namespace

std::unique_ptr<PlayerWindow> PlayerWindow::Create(std::string* reason)
{
    // A Windows desktop always has a display; a service session has no
    // visible one but can still make windows, which then show nowhere.
    if (GetSystemMetrics(SM_CXSCREEN) <= 0) {
        *reason = "no display to open a window on";
        return nullptr;
    }
    return std::make_unique<PlayerWindowWin>();
}

bool PlayerWindowWin::IsInEditor(void* hwnd) const
{
    return container != nullptr && hwnd != nullptr &&
           (hwnd == container || IsChild(AsWindow(container), AsWindow(hwnd)));
}

void PlayerWindowWin::CloseStripList()
{
    if (strip != nullptr) {
        strip->CloseList();
    }
}

PlayerWindowWin::~PlayerWindowWin()
{
    Close();
}

void PlayerWindowWin::FitFrame()
{
    RECT outer{0, 0, width, stripHeight + viewHeight};
    AdjustWindowRectEx(&outer, kStyle, FALSE, 0);
    SetWindowPos(AsWindow(topLevel), nullptr, 0, 0, outer.right - outer.left,
                 outer.bottom - outer.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool PlayerWindowWin::Open(PlayerStrip& newStrip, IPlugView* newView, const Placement& placement,
                           Client& newClient, std::string* error)
{
    strip = &newStrip;
    view = newView;
    client = &newClient;
    BecomeDpiAware();
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!RegisterClasses(instance, BackgroundBrush())) {
        *error = "the window class could not be registered";
        return false;
    }
    if (view->isPlatformTypeSupported(kPlatformTypeHWND) != kResultTrue) {
        *error = "the plug-in's editor cannot open in a window";
        return false;
    }
    frame = new PlayerPlugFrame([this](int w, int h) { ViewAskedForSize(w, h); }, nullptr);
    view->setFrame(frame);
    ViewRect size;
    if (view->getSize(&size) != kResultOk || size.getWidth() <= 0 || size.getHeight() <= 0) {
        size = ViewRect(0, 0, PlayerStrip::kWidth, kListRoom);
    }
    Arrange(size.getWidth(), size.getHeight(), nullptr);

    RECT outer{0, 0, width, stripHeight + viewHeight};
    AdjustWindowRectEx(&outer, kStyle, FALSE, 0);
    int x = CW_USEDEFAULT;
    int y = CW_USEDEFAULT;
    // A saved place on a screen that is no longer there opens where the
    // system puts new windows.
    if (placement.hasPosition &&
        MonitorFromPoint(POINT{placement.x + 40, placement.y + 10}, MONITOR_DEFAULTTONULL) !=
            nullptr) {
        x = placement.x;
        y = placement.y;
    }
    topLevel = CreateWindowExW(0, kWindowClass, L"Toneloom", kStyle, x, y, outer.right - outer.left,
                               outer.bottom - outer.top, nullptr, nullptr, instance, this);
    if (topLevel == nullptr) {
        *error = "the window could not be made";
        return false;
    }

    // The strip first, then the container above it: the editor covers the
    // strip's list room until a list opens.
    stripGraphics = new IGraphicsWin(strip, PlayerStrip::kWidth, PlayerStrip::kHeight + kListRoom);
    stripGraphics->SetModuleHandle(instance);
    strip->BuildControls(stripGraphics);
    if (std::fabs(StripScale() - 1.0f) > 1e-3f) {
        stripGraphics->SetScale(StripScale());
    }
    if (stripGraphics->OpenWindow(topLevel) == nullptr) {
        *error = "the strip's window could not be opened";
        Close();
        return false;
    }
    // Siblings clip each other: the strip's window, whose surface reaches
    // down behind the editor, never paints over it.
    HWND stripWindow = AsWindow(stripGraphics->NativeWindow());
    SetWindowLongPtrW(stripWindow, GWL_STYLE,
                      GetWindowLongPtrW(stripWindow, GWL_STYLE) | WS_CLIPSIBLINGS);
    SetWindowPos(stripWindow, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOACTIVATE);
    container = CreateWindowExW(0, kContainerClass, L"",
                                WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                                0, stripHeight, viewWidth, viewHeight, AsWindow(topLevel), nullptr,
                                instance, nullptr);
    if (container == nullptr) {
        *error = "the editor's window could not be made";
        Close();
        return false;
    }
    SetWindowPos(AsWindow(container), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (view->attached(container, kPlatformTypeHWND) != kResultOk) {
        *error = "the plug-in's editor did not open";
        Close();
        return false;
    }
    attached = true;
    SetTimer(AsWindow(topLevel), kTickTimer, kTickMs, nullptr);
    shown = std::chrono::steady_clock::now();
    ShowWindow(AsWindow(topLevel), SW_SHOWNORMAL);
    UpdateWindow(AsWindow(topLevel));
    return true;
}

void PlayerWindowWin::Run()
{
    quitting = false;
    MSG message;
    while (!quitting && GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
        // A strip list opens and closes in the strip's messages.
        FollowStripList();
    }
}

void PlayerWindowWin::Quit()
{
    quitting = true;
    if (topLevel != nullptr) {
        PostMessageW(AsWindow(topLevel), WM_NULL, 0, 0); // wakes GetMessage
    }
}

intptr_t PlayerWindowWin::HandleMessage(void* hwnd, unsigned message, uintptr_t wParam,
                                        intptr_t lParam)
{
    switch (message) {
    case WM_CLOSE:
        client->CloseRequested();
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        if (wParam != 0) {
            client->CloseRequested();
        }
        return 0;
    case WM_TIMER:
        if (wParam == kTickTimer) {
            // What the view asked of the window, outside its own call.
            if (resizeWanted) {
                ApplyViewSize();
            }
            client->Tick();
        }
        return 0;
    case WM_PAINT:
        if (!painted) {
            painted = true;
            firstPaintMs = std::chrono::duration<double, std::milli>(
                               std::chrono::steady_clock::now() - shown)
                               .count();
        }
        break;
    default:
        break;
    }
    return DefWindowProcW(AsWindow(hwnd), message, wParam, lParam);
}

void PlayerWindowWin::ApplyViewSize()
{
    resizeWanted = false;
    if (!attached) {
        return;
    }
    Arrange(wantedWidth, wantedHeight, stripGraphics);
    FitFrame();
    SetWindowPos(AsWindow(container), HWND_TOP, 0, stripHeight, viewWidth, viewHeight,
                 SWP_NOACTIVATE);
    ViewRect size(0, 0, viewWidth, viewHeight);
    view->onSize(&size);
}

void PlayerWindowWin::FollowStripList()
{
    if (container == nullptr || stripGraphics == nullptr) {
        return;
    }
    IBox logical;
    if (!strip->PopupArea(&logical)) {
        if (listCut) {
            SetWindowRgn(AsWindow(container), nullptr, TRUE);
            listCut = false;
        }
        DropListHook();
        return;
    }
    const IBox box = stripGraphics->ToSurface(logical);
    HRGN rest = CreateRectRgn(0, 0, viewWidth, viewHeight);
    HRGN list = CreateRectRgn(box.left, box.top - stripHeight, box.right, box.bottom - stripHeight);
    CombineRgn(rest, rest, list, RGN_DIFF);
    DeleteObject(list);
    SetWindowRgn(AsWindow(container), rest, TRUE); // the window owns the region now
    listCut = true;
    // A press on the editor while the list is open closes the list, as a
    // press anywhere else does, and goes no further.
    if (listHook == nullptr) {
        listHookOwner = this;
        listHook = SetWindowsHookExW(WH_MOUSE, ListMouseHook, nullptr, GetCurrentThreadId());
    }
}

bool PlayerWindowWin::Position(int* x, int* y) const
{
    if (topLevel == nullptr) {
        return false;
    }
    WINDOWPLACEMENT where{};
    where.length = sizeof where;
    // The place it has when not minimised, in workspace coordinates, which
    // CreateWindow takes back for a window without a taskbar offset issue.
    RECT rect{};
    if (IsIconic(AsWindow(topLevel)) && GetWindowPlacement(AsWindow(topLevel), &where)) {
        rect = where.rcNormalPosition;
    } else if (!GetWindowRect(AsWindow(topLevel), &rect)) {
        return false;
    }
    *x = rect.left;
    *y = rect.top;
    return true;
}

void PlayerWindowWin::Close()
{
    DropListHook();
    if (attached) {
        view->removed();
        attached = false;
    }
    if (view != nullptr) {
        view->setFrame(nullptr);
        view = nullptr;
    }
    if (stripGraphics != nullptr) {
        stripGraphics->CloseWindow();
        stripGraphics = nullptr;
    }
    if (topLevel != nullptr) {
        KillTimer(AsWindow(topLevel), kTickTimer);
        DestroyWindow(AsWindow(topLevel)); // the container with it
        topLevel = nullptr;
        container = nullptr;
    }
    if (frame != nullptr) {
        frame->release();
        frame = nullptr;
    }
}

std::string PlayerWindowWin::HostReport() const
{
    return "first-paint-ms " + std::to_string(firstPaintMs) + "\n";
}

} // namespace toneloom
