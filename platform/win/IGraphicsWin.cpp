#include "IGraphicsWin.h"

#include "IEffectBase.h"
#include "IParamRecord.h"
#include "PX_Png.h"
#include "PX_SysBitmap.h"
#include "TextBuffer.h"

// After the editor's own headers: <windows.h> renames DrawText and friends.
#include <windows.h>

#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace toneloom {

namespace {

constexpr char kWindowClass[] = "IEffectWndClass";
constexpr char kWindowTitle[] = "IEffect";
constexpr UINT_PTR kRedrawTimerId = 2;
constexpr double kMillisecondsPerSecond = 1000.0;
constexpr int kWheelUnitsPerStep = 120; // WHEEL_DELTA
// The native entry: child id, font, height and placement around the
// control's centre, width per character of the widest display text.
constexpr int kEntryChildId = 0x63;
constexpr int kEntryFontHeight = 14;
constexpr int kEntryHeight = 16;
constexpr int kEntryHalfHeight = 8;
constexpr int kEntryMinWidth = 32;
constexpr int kEntryCharWidth = 7;
constexpr int kEntryPadding = 6;
constexpr int kEntryTextBytes = 1000; // at most read back from the entry
constexpr int kDisplayTextSize = 64;
constexpr int kClassNameSize = 16;
constexpr int kCustomColours = 16;
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr UINT kKeyDigit0 = 0x30;
constexpr UINT kKeyDigit9 = 0x39;
constexpr UINT kKeyLetterAVk = 0x41;
constexpr UINT kKeyLetterZVk = 0x5A;
constexpr float kReferenceDpi = 96.0f; // the dots per inch of scale 1
// Sent when a window's screen scale changes: to top-level windows, and (with
// per-monitor awareness v2) to child windows after their parent.
constexpr UINT kDpiChanged = 0x02E0;
constexpr UINT kDpiChangedAfterParent = 0x02E3;

// Module-wide: editor windows open now, and the rate their timers run at.
int openWindows = 0;
double timerRate = kDefaultFrameRate; // frames per second

LRESULT CALLBACK EditorWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK EntryWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

IGraphicsWin* EditorOf(HWND hwnd)
{
    return reinterpret_cast<IGraphicsWin*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

void RegisterEditorClass(HINSTANCE module)
{
    WNDCLASSA windowClass{};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = EditorWindowProc;
    windowClass.hInstance = module;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassA(&windowClass);
}

void ReleaseEditorClass(HINSTANCE module)
{
    if (--openWindows == 0) {
        UnregisterClassA(kWindowClass, module);
    }
}

IMouseKeys KeysFrom(WPARAM wParam)
{
    IMouseKeys keys;
    keys.left = (wParam & MK_LBUTTON) != 0;
    keys.right = (wParam & MK_RBUTTON) != 0;
    keys.shift = (wParam & MK_SHIFT) != 0;
    keys.ctrl = (wParam & MK_CONTROL) != 0;
    keys.alt = (GetKeyState(VK_MENU) & 0x8000) != 0;
    return keys;
}

// The editor's key code of a virtual key, -1 for keys it ignores.
int KeyCodeFor(WPARAM virtualKey)
{
    switch (virtualKey) {
    case VK_SPACE:
        return kKeySpace;
    case VK_UP:
        return kKeyUp;
    case VK_DOWN:
        return kKeyDown;
    case VK_LEFT:
        return kKeyLeft;
    case VK_RIGHT:
        return kKeyRight;
    default:
        break;
    }
    if (virtualKey >= kKeyDigit0 && virtualKey <= kKeyDigit9) {
        return kKeyDigit0 + static_cast<int>(virtualKey - kKeyDigit0);
    }
    if (virtualKey >= kKeyLetterAVk && virtualKey <= kKeyLetterZVk) {
        return kKeyLetterA + static_cast<int>(virtualKey - kKeyLetterAVk);
    }
    return -1;
}

int SignedLow(LPARAM value)
{
    return static_cast<short>(LOWORD(value));
}

int SignedHigh(LPARAM value)
{
    return static_cast<short>(HIWORD(value));
}

std::string FolderOf(const char* path)
{
    const std::string whole = path != nullptr ? path : "";
    const size_t slash = whole.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : whole.substr(0, slash + 1);
}

LRESULT CALLBACK EditorWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        SetTimer(hwnd, kRedrawTimerId, static_cast<UINT>(kMillisecondsPerSecond / timerRate),
                 nullptr);
        SetFocus(hwnd);
        return 0;
    }
    IGraphicsWin* editor = EditorOf(hwnd);
    if (editor == nullptr || editor->NativeWindow() != hwnd) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    return editor->HandleMessage(message, wParam, lParam);
}

LRESULT CALLBACK EntryWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    IGraphicsWin* editor = EditorOf(GetParent(hwnd));
    if (editor == nullptr || editor->EntryWindow() != hwnd) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    return editor->HandleEntryMessage(hwnd, message, wParam, lParam);
}

} // namespace

IGraphicsWin::IGraphicsWin(IEffectBase* plug, int editorWidth, int editorHeight,
                           int framesPerSecond)
    : IGraphics(plug, editorWidth, editorHeight, framesPerSecond)
{
}

IGraphicsWin::~IGraphicsWin()
{
    if (window != nullptr) {
        // The plug-in may be going away: close without ending edits through it.
        gestureCountdown = 0;
        DropEntry(true);
        HWND closing = static_cast<HWND>(window);
        window = nullptr; // messages during destruction go to DefWindowProcA
        DestroyWindow(closing);
        ReleaseEditorClass(static_cast<HINSTANCE>(module));
    }
    delete[] customColours;
}

int IGraphicsWin::OpenWindowCount()
{
    return openWindows;
}

void* IGraphicsWin::OpenWindow(void* parentWindow)
{
    parent = parentWindow;
    int x = 0;
    int y = 0;
    int width = SurfaceWidth();
    int height = SurfaceHeight();
    if (window != nullptr) {
        // Reopen at the same place.
        RECT rect{};
        GetWindowRect(static_cast<HWND>(window), &rect);
        POINT topLeft{rect.left, rect.top};
        ScreenToClient(GetParent(static_cast<HWND>(window)), &topLeft);
        x = topLeft.x;
        y = topLeft.y;
        CloseWindow();
    }
    auto* instance = static_cast<HINSTANCE>(module);
    if (openWindows++ == 0) {
        RegisterEditorClass(instance);
    }
    timerRate = FrameRate();
    HWND created =
        CreateWindowExA(0, kWindowClass, kWindowTitle, WS_CHILD | WS_VISIBLE, x, y, width, height,
                        static_cast<HWND>(parentWindow), nullptr, instance, this);
    if (created == nullptr) {
        ReleaseEditorClass(instance);
        return nullptr;
    }
    window = created;
    InvalidateAll();
    return window;
}

void IGraphicsWin::CloseWindow()
{
    ForgetWindow(true);
}

void IGraphicsWin::ForgetWindow(bool destroy)
{
    if (window == nullptr) {
        return;
    }
    if (gestureCountdown > 0 && Plug() != nullptr) {
        Plug()->FlushDeferredEditEnd();
    }
    gestureCountdown = 0;
    EndOpenGesture(); // a drag the window closed under ends for the host too
    ReleaseMouse();
    HWND closing = static_cast<HWND>(window);
    window = nullptr; // messages during destruction go to DefWindowProcA
    DropEntry(true);  // closed with its parent, nothing applied
    KillTimer(closing, kRedrawTimerId);
    if (destroy) {
        DestroyWindow(closing);
    }
    ReleaseEditorClass(static_cast<HINSTANCE>(module));
}

intptr_t IGraphicsWin::HandleMessage(unsigned message, uintptr_t wParam, intptr_t lParam)
{
    auto hwnd = static_cast<HWND>(window);
    switch (message) {
    case WM_PAINT: {
        RECT rect{};
        if (GetUpdateRect(hwnd, &rect, FALSE)) {
            DrawArea(FromSurface(IBox{rect.left, rect.top, rect.right, rect.bottom}));
            ValidateRect(hwnd, &rect); // also when nothing could be presented
        }
        return 0;
    }
    case WM_CLOSE:
        CloseWindow();
        return 0;
    case WM_DESTROY:
        // Only reached when the window goes without CloseWindow: the host
        // destroyed its own window, and ours with it, before removing the view.
        ForgetWindow(false);
        return 0;
    case WM_MOUSEACTIVATE:
        SetFocus(hwnd);
        return MA_ACTIVATE;
    case WM_KEYDOWN: {
        const int code = KeyCodeFor(wParam);
        if (code >= 0) {
            POINT point{};
            GetCursorPos(&point);
            ScreenToClient(hwnd, &point);
            KeyDown(point.x, point.y, code);
        }
        return 0;
    }
    case WM_TIMER:
        if (wParam == kRedrawTimerId) {
            Tick();
        }
        return 0;
    case WM_CTLCOLORSTATIC:
        return Plug() != nullptr ? Plug()->EditorWindowMessage(wParam, lParam, message) : 0;
    case WM_MOUSEMOVE: {
        const IMouseKeys keys = KeysFrom(wParam);
        if (keys.left || keys.right) {
            if (GetCapture() == hwnd) {
                MouseDrag(SignedLow(lParam), SignedHigh(lParam), keys);
            }
        } else if (MouseHover(SignedLow(lParam), SignedHigh(lParam), keys)) {
            TRACKMOUSEEVENT track{};
            track.cbSize = sizeof track;
            track.dwFlags = TME_LEAVE;
            track.hwndTrack = hwnd;
            track.dwHoverTime = HOVER_DEFAULT;
            TrackMouseEvent(&track);
        }
        return 0;
    }
    case WM_RBUTTONDOWN:
        if (entry != nullptr) {
            entryState = kEntryCancel; // and nothing else sees this press
            return 0;
        }
        SetCapture(hwnd);
        MouseDown(SignedLow(lParam), SignedHigh(lParam), KeysFrom(wParam));
        return 0;
    case WM_LBUTTONDOWN:
        if (entry != nullptr) {
            entryState = kEntryCommit;
        }
        SetCapture(hwnd);
        MouseDown(SignedLow(lParam), SignedHigh(lParam), KeysFrom(wParam));
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        ReleaseCapture();
        MouseUp(SignedLow(lParam), SignedHigh(lParam), KeysFrom(wParam));
        return 0;
    case WM_LBUTTONDBLCLK:
        if (MouseDoubleClick(SignedLow(lParam), SignedHigh(lParam), KeysFrom(wParam))) {
            SetCapture(hwnd);
        }
        return 0;
    case WM_MOUSEWHEEL: {
        RECT rect{};
        GetWindowRect(hwnd, &rect);
        const int steps = static_cast<short>(HIWORD(wParam)) / kWheelUnitsPerStep;
        MouseWheel(SignedLow(lParam) - rect.left, SignedHigh(lParam) - rect.top,
                   KeysFrom(LOWORD(wParam)), steps);
        return 0;
    }
    case WM_MOUSELEAVE:
        MouseLeft();
        return 0;
    case kDpiChanged:
    case kDpiChangedAfterParent:
        FollowSystemScale(SystemScale(GetParent(hwnd)));
        return message == kDpiChanged ? 0 : DefWindowProcA(hwnd, message, wParam, lParam);
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

void IGraphicsWin::Tick()
{
    auto hwnd = static_cast<HWND>(window);
    TickEntry();
    IBox area;
    if (CollectDirtyArea(&area)) {
        const IBox onSurface = ToSurface(area);
        RECT rect{onSurface.left, onSurface.top, onSurface.right, onSurface.bottom};
        InvalidateRect(hwnd, &rect, FALSE);
        if (entry != nullptr) {
            // The editor never paints over the entry.
            RECT entryRect{};
            GetClientRect(static_cast<HWND>(entry), &entryRect);
            MapWindowPoints(static_cast<HWND>(entry), hwnd, reinterpret_cast<POINT*>(&entryRect),
                            2);
            ValidateRect(hwnd, &entryRect);
        }
        UpdateWindow(hwnd);
    }
    if (gestureCountdown > 0) {
        --gestureCountdown;
        if (gestureCountdown == 0 && Plug() != nullptr) {
            Plug()->FlushDeferredEditEnd();
        }
    }
    // Last: the host may close the editor when it hears what the plug-in
    // held back for it.
    if (Plug() != nullptr) {
        Plug()->EditorTick();
    }
}

bool IGraphicsWin::PresentArea(const IBox& area)
{
    auto hwnd = static_cast<HWND>(window);
    if (hwnd == nullptr || Surface() == nullptr) {
        return true;
    }
    PAINTSTRUCT paint{};
    HDC screen = BeginPaint(hwnd, &paint);
    BitBlt(screen, area.left, area.top, area.right - area.left, area.bottom - area.top,
           static_cast<HDC>(Surface()->DeviceContext()), area.left, area.top, SRCCOPY);
    EndPaint(hwnd, &paint);
    return true;
}

void IGraphicsWin::Resize(int newWidth, int newHeight)
{
    const int oldWidth = Width();
    const int oldHeight = Height();
    DropEntry(true); // its control goes with the others
    IGraphics::Resize(newWidth, newHeight);
    if (Surface() != nullptr) {
        Surface()->SetSize(SurfaceWidth(), SurfaceHeight());
    }
    auto hwnd = static_cast<HWND>(window);
    if (hwnd == nullptr) {
        return;
    }
    const int dw = newWidth - oldWidth;
    const int dh = newHeight - oldHeight;
    const UINT flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
    SetWindowPos(hwnd, nullptr, 0, 0, newWidth, newHeight, flags);
    // Direct parents that are child windows themselves grow by as much.
    HWND ancestor = GetParent(hwnd);
    for (int level = 0; level < 2 && ancestor != nullptr; ++level) {
        if ((GetWindowLongA(ancestor, GWL_STYLE) & WS_CHILD) == 0) {
            break;
        }
        RECT rect{};
        GetWindowRect(ancestor, &rect);
        SetWindowPos(ancestor, nullptr, 0, 0, rect.right - rect.left + dw,
                     rect.bottom - rect.top + dh, flags);
        ancestor = GetParent(ancestor);
    }
    RECT old{0, 0, oldWidth, oldHeight};
    InvalidateRect(hwnd, &old, FALSE);
}

void IGraphicsWin::StartGestureTimer(int ticks)
{
    if (window == nullptr) {
        // No window, no timer to end the edit later (a host closed the
        // editor while it heard of the edit): it ends now.
        gestureCountdown = 0;
        if (Plug() != nullptr) {
            Plug()->FlushDeferredEditEnd();
        }
        return;
    }
    gestureCountdown = ticks > 0 ? ticks : 0;
}

void IGraphicsWin::StopGestureTimer()
{
    gestureCountdown = 0;
}

void IGraphicsWin::RefreshTooltip() {}

PX_IBitmap* IGraphicsWin::LoadImageResource(int resourceId, const char*)
{
    return LoadPngResource(module, resourceId, nullptr);
}

void IGraphicsWin::ScaleChanged()
{
    DropEntry(true); // laid out for the old size
    auto hwnd = static_cast<HWND>(window);
    if (hwnd == nullptr) {
        return;
    }
    SetWindowPos(hwnd, nullptr, 0, 0, SurfaceWidth(), SurfaceHeight(),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd, nullptr, FALSE);
}

float IGraphicsWin::SystemScale(void* parentWindow)
{
    // Looked up at run time: older systems have no GetDpiForWindow. A host
    // that is not DPI aware is told 96 (the system then stretches its
    // windows itself), so the editor stays at 1x there.
    using DpiForWindow = UINT(WINAPI*)(HWND);
    static const auto dpiForWindow = reinterpret_cast<DpiForWindow>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    UINT dpi = 0;
    if (dpiForWindow != nullptr && parentWindow != nullptr) {
        dpi = dpiForWindow(static_cast<HWND>(parentWindow));
    }
    if (dpi == 0) {
        HDC screen = GetDC(nullptr);
        dpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSX));
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? static_cast<float>(dpi) / kReferenceDpi : 1.0f;
}

// Native entry.

void IGraphicsWin::PromptParamValue(IControl* control, IParamRecord* param, bool)
{
    if (control == nullptr || param == nullptr || entry != nullptr || window == nullptr) {
        return;
    }
    const IBox box = ToSurface(control->Box());
    const int cx = static_cast<int>((box.left + box.right) * 0.5f);
    const int cy = static_cast<int>((box.top + box.bottom) * 0.5f);
    // The entry's size and font in surface pixels.
    auto scaled = [this](int pixels) { return static_cast<int>(pixels * Scale() + 0.5f); };
    char text[kDisplayTextSize] = {};
    char widest[kDisplayTextSize] = {};
    param->FormatValue(param->Value(), false, text, sizeof text);
    param->FormatValue(1.0, true, widest, sizeof widest);
    const int width = scaled(std::max(
        kEntryMinWidth, kEntryCharWidth * static_cast<int>(std::strlen(widest)) + kEntryPadding));
    HWND created = CreateWindowExA(
        0, "EDIT", text, WS_CHILD | WS_VISIBLE | ES_CENTER | ES_MULTILINE, cx - width / 2,
        cy - scaled(kEntryHalfHeight), width, scaled(kEntryHeight), static_cast<HWND>(window),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEntryChildId)),
        static_cast<HINSTANCE>(module), nullptr);
    if (created == nullptr) {
        return;
    }
    entry = created;
    entryControl = control;
    entryParam = param;
    entryState = kEntryIdle;
    SendMessageA(created, EM_SETSEL, 0, -1);
    entryPreviousProc =
        SetWindowLongPtrA(created, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EntryWindowProc));
    SetFocus(created);
    HFONT font = CreateFontA(scaled(kEntryFontHeight), 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Arial");
    entryFont = font;
    SendMessageA(created, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

intptr_t IGraphicsWin::HandleEntryMessage(void* hwndPtr, unsigned message, uintptr_t wParam,
                                          intptr_t lParam)
{
    auto hwnd = static_cast<HWND>(hwndPtr);
    auto previous = reinterpret_cast<WNDPROC>(entryPreviousProc);
    switch (message) {
    case WM_SETFOCUS:
        entryState = kEntryFocused;
        break;
    case WM_KILLFOCUS:
        entryState = kEntryIdle;
        break;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            char className[kClassNameSize] = {};
            GetClassNameA(hwnd, className, sizeof className);
            if (lstrcmpiA(className, "EDIT") == 0) {
                SendMessageA(hwnd, EM_SETSEL, static_cast<WPARAM>(-1), 0);
                entryState = kEntryCommit;
                return 0;
            }
        }
        entryState = kEntryFocused;
        break;
    default:
        break;
    }
    return CallWindowProcA(previous, hwnd, message, wParam, lParam);
}

void IGraphicsWin::TickEntry()
{
    if (entry == nullptr) {
        return;
    }
    const int state = entryState;
    switch (state) {
    case kEntryFocused:
        entryState = kEntryIdle;
        return;
    case kEntryCommit:
    case kEntryCancel:
        break;
    default:
        return;
    }
    char text[kEntryTextBytes + 1] = {};
    if (state == kEntryCommit) {
        SendMessageA(static_cast<HWND>(entry), WM_GETTEXT, sizeof text,
                     reinterpret_cast<LPARAM>(text));
    }
    // The entry closes before the value goes out: a host may close the
    // editor, and the entry with it, when it hears of the edit.
    IControl* control = entryControl;
    IParamRecord* param = entryParam;
    DropEntry(true);
    if (state == kEntryCommit) {
        ApplyEditedText(control, param, text);
    }
    control->EndValuePrompt();
}

void IGraphicsWin::DropEntry(bool destroy)
{
    if (entry != nullptr) {
        auto hwnd = static_cast<HWND>(entry);
        entry = nullptr; // late messages go to DefWindowProcA
        if (destroy) {
            SetWindowLongPtrA(hwnd, GWLP_WNDPROC, entryPreviousProc);
            DestroyWindow(hwnd);
        }
    }
    if (entryFont != nullptr) {
        DeleteObject(static_cast<HFONT>(entryFont));
        entryFont = nullptr;
    }
    entryControl = nullptr;
    entryParam = nullptr;
    entryPreviousProc = 0;
    entryState = kEntryIdle;
}

// Shell and dialogs.

bool IGraphicsWin::OpenUrl(const char* url, const char* title, const char* confirmText,
                           const char* failureText)
{
    if (url == nullptr || url[0] == '\0') {
        return false;
    }
    auto hwnd = static_cast<HWND>(window);
    if (confirmText != nullptr &&
        MessageBoxA(hwnd, confirmText, title != nullptr ? title : "", MB_YESNO) != IDYES) {
        return false;
    }
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(hwnd, "open", url, nullptr, nullptr, SW_SHOWNORMAL));
    if (result > 32) {
        return true;
    }
    if (failureText != nullptr) {
        MessageBoxA(hwnd, failureText, title != nullptr ? title : "", MB_OK);
    }
    return false;
}

void IGraphicsWin::EditControlText(ITextControl*) {}

void IGraphicsWin::HostFolder(TextBuffer* folder)
{
    if (folder == nullptr) {
        return;
    }
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    folder->Set(length > 0 ? FolderOf(path).c_str() : "");
}

void IGraphicsWin::ModuleFolder(TextBuffer* folder)
{
    if (folder == nullptr) {
        return;
    }
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(static_cast<HMODULE>(module), path, MAX_PATH);
    folder->Set(length > 0 ? FolderOf(path).c_str() : "");
}

void IGraphicsWin::PromptForFile(TextBuffer* path, int action, const char* folder,
                                 const char* extensions)
{
    if (path == nullptr) {
        return;
    }
    // `extensions`: space-separated, e.g. "wav aif"; the filter lists them.
    std::string filter;
    std::string pattern;
    if (extensions != nullptr && extensions[0] != '\0') {
        std::string list = extensions;
        size_t start = 0;
        while (start < list.size()) {
            const size_t end = std::min(list.find(' ', start), list.size());
            if (end > start) {
                pattern += (pattern.empty() ? "*." : ";*.") + list.substr(start, end - start);
            }
            start = end + 1;
        }
        filter = pattern + '\0' + pattern + '\0';
    }
    filter += std::string("*.*") + '\0' + "*.*" + '\0' + '\0';
    char chosen[MAX_PATH] = {};
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = static_cast<HWND>(window);
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = chosen;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrInitialDir = folder;
    dialog.Flags = OFN_NOCHANGEDIR;
    constexpr int kSaveAction = 1; // anything else opens
    BOOL picked = FALSE;
    if (action == kSaveAction) {
        dialog.Flags |= OFN_OVERWRITEPROMPT;
        picked = GetSaveFileNameA(&dialog);
    } else {
        dialog.Flags |= OFN_FILEMUSTEXIST;
        picked = GetOpenFileNameA(&dialog);
    }
    path->Set(picked ? chosen : "");
}

bool IGraphicsWin::PromptForColor(IRgba* colour, const char* prompt)
{
    if (colour == nullptr) {
        return false;
    }
    (void)prompt; // the system dialog has no place for it
    if (customColours == nullptr) {
        customColours = new uint32_t[kCustomColours];
        std::fill(customColours, customColours + kCustomColours, kWhite);
    }
    CHOOSECOLORA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = static_cast<HWND>(window);
    dialog.rgbResult = RGB(colour->red, colour->green, colour->blue);
    dialog.lpCustColors = reinterpret_cast<COLORREF*>(customColours);
    dialog.Flags = CC_FULLOPEN | CC_RGBINIT;
    if (!ChooseColorA(&dialog)) {
        return false;
    }
    colour->red = GetRValue(dialog.rgbResult);
    colour->green = GetGValue(dialog.rgbResult);
    colour->blue = GetBValue(dialog.rgbResult);
    return true;
}

} // namespace toneloom
