#include "IGraphicsX11.h"

#include "IEffectBase.h"
#include "IParamRecord.h"
#include "IX11EventLoop.h"
#include "PX_Png.h"
#include "PX_SysBitmap.h"
#include "TextBuffer.h"
#include "X11PutBitmap.h"
#include "X11ValueEntry.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <dlfcn.h>
#include <limits.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern char** environ;

namespace toneloom {

namespace {

constexpr double kMillisecondsPerSecond = 1000.0;
// A second left press within this time and distance of the first is a double
// click (the usual desktop defaults; X itself has no such rule).
constexpr unsigned long kDoubleClickMs = 500;
constexpr int kDoubleClickSlopPx = 4;
// X pointer buttons.
constexpr unsigned kButtonLeft = 1;
constexpr unsigned kButtonRight = 3;
constexpr unsigned kWheelUp = 4;
constexpr unsigned kWheelDown = 5;
constexpr unsigned kWheelLeft = 6;
constexpr unsigned kWheelRight = 7;
// _XEMBED_INFO: protocol version 0, and the flag that asks to be mapped.
constexpr long kXembedVersion = 0;
constexpr long kXembedMapped = 1;
// The value entry: height and placement around the control's centre, and
// the width per character of the widest display text.
constexpr int kEntryHeight = 16;
constexpr int kEntryHalfHeight = 8;
constexpr int kEntryMinWidth = 32;
constexpr int kEntryCharWidth = 7;
constexpr int kEntryPadding = 6;
constexpr int kDisplayTextSize = 64;
constexpr int kTypedBytes = 32;
constexpr float kReferenceDpi = 96.0f; // the dots per inch of scale 1

Display* AsDisplay(_XDisplay* display)
{
    return display;
}

IMouseKeys KeysFromState(unsigned state)
{
    IMouseKeys keys;
    keys.left = (state & Button1Mask) != 0;
    keys.right = (state & Button3Mask) != 0;
    keys.shift = (state & ShiftMask) != 0;
    keys.ctrl = (state & ControlMask) != 0;
    keys.alt = (state & Mod1Mask) != 0;
    return keys;
}

// The editor's key code of an X key symbol, -1 for keys it ignores.
int KeyCodeFor(KeySym keysym)
{
    if (keysym == XK_space) {
        return kKeySpace;
    }
    switch (keysym) {
    case XK_Up:
        return kKeyUp;
    case XK_Down:
        return kKeyDown;
    case XK_Left:
        return kKeyLeft;
    case XK_Right:
        return kKeyRight;
    default:
        break;
    }
    if (keysym >= XK_0 && keysym <= XK_9) {
        return kKeyDigit0 + static_cast<int>(keysym - XK_0);
    }
    if (keysym >= XK_a && keysym <= XK_z) {
        return kKeyLetterA + static_cast<int>(keysym - XK_a);
    }
    if (keysym >= XK_A && keysym <= XK_Z) {
        return kKeyLetterA + static_cast<int>(keysym - XK_A);
    }
    return -1;
}

// X errors are reported through one process-wide handler, whose default ends
// the process. Where a window of ours may already be gone through no fault of
// ours (a host may hand over a stale or wrong id, or destroy its window, and
// ours inside it, before it removes the view), a handler of ours just notes
// the errors of the requests made meanwhile.
int noticedErrors = 0;

int NoteError(Display*, XErrorEvent*)
{
    ++noticedErrors;
    return 0;
}

class NoteXErrors
{
public:
    explicit NoteXErrors(Display* connection) : display(connection)
    {
        XSync(display, False); // earlier requests' errors are not ours to hide
        noticedErrors = 0;
        previous = XSetErrorHandler(NoteError);
    }
    ~NoteXErrors()
    {
        XSync(display, False);
        XSetErrorHandler(previous);
    }
    NoteXErrors(const NoteXErrors&) = delete;
    NoteXErrors& operator=(const NoteXErrors&) = delete;

    // Errors so far; XSync first to have those of every request made.
    int Errors() const
    {
        XSync(display, False);
        return noticedErrors;
    }

private:
    Display* display;
    XErrorHandler previous = nullptr;
};

bool ReadWindowAttributes(Display* display, Window window, XWindowAttributes* attributes)
{
    NoteXErrors errors(display);
    const Status read = XGetWindowAttributes(display, window, attributes);
    return read != 0 && errors.Errors() == 0;
}

std::string FolderOf(const char* path)
{
    const std::string whole = path != nullptr ? path : "";
    const size_t slash = whole.rfind('/');
    return slash == std::string::npos ? std::string() : whole.substr(0, slash + 1);
}

} // namespace

IGraphicsX11::IGraphicsX11(IEffectBase* plug, int editorWidth, int editorHeight,
                           int framesPerSecond)
    : IGraphics(plug, editorWidth, editorHeight, framesPerSecond)
{
}

IGraphicsX11::~IGraphicsX11()
{
    gestureCountdown = 0;
    DestroyWindowResources();
    ReapChildren();
}

int IGraphicsX11::TimerPeriodMs() const
{
    return static_cast<int>(kMillisecondsPerSecond / FrameRate());
}

void* IGraphicsX11::OpenWindow(void* parentWindow)
{
    if (parentWindow == nullptr) {
        return nullptr;
    }
    int x = 0;
    int y = 0;
    if (window != 0) {
        x = windowX;
        y = windowY;
        CloseWindow();
    }
    if (eventLoop == nullptr) {
        return nullptr; // nothing would ever draw or react
    }
    display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return nullptr;
    }
    Display* d = AsDisplay(display);
    parent = static_cast<unsigned long>(reinterpret_cast<uintptr_t>(parentWindow));
    XWindowAttributes parentAttributes{};
    if (!ReadWindowAttributes(d, parent, &parentAttributes)) {
        XCloseDisplay(d);
        display = nullptr;
        return nullptr;
    }
    visual = parentAttributes.visual;
    depth = parentAttributes.depth;

    XSetWindowAttributes attributes{};
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            LeaveWindowMask | KeyPressMask | StructureNotifyMask | FocusChangeMask |
                            VisibilityChangeMask;
    attributes.background_pixmap = None;
    attributes.border_pixel = 0;
    attributes.colormap = parentAttributes.colormap;
    window = XCreateWindow(d, parent, x, y, static_cast<unsigned>(SurfaceWidth()),
                           static_cast<unsigned>(SurfaceHeight()), 0, depth, InputOutput,
                           parentAttributes.visual,
                           CWEventMask | CWBackPixmap | CWBorderPixel | CWColormap, &attributes);
    if (window == 0) {
        XCloseDisplay(d);
        display = nullptr;
        return nullptr;
    }
    windowX = x;
    windowY = y;
    atomXembedInfo = XInternAtom(d, "_XEMBED_INFO", False);
    atomXembed = XInternAtom(d, "_XEMBED", False);
    const long xembedInfo[2] = {kXembedVersion, kXembedMapped};
    XChangeProperty(d, window, atomXembedInfo, atomXembedInfo, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(xembedInfo), 2);
    gc = XCreateGC(d, window, 0, nullptr);
    XMapWindow(d, window);
    XSync(d, False); // the window exists on the server before the host hears of it

    if (!eventLoop->Attach(this, ConnectionNumber(d), TimerPeriodMs())) {
        DestroyWindowResources();
        return nullptr;
    }
    WatchAncestors();
    // The window is mapped (XSync above): paint the first frame now rather
    // than at the first timer tick, a frame period later; a host that shows
    // its window only later gets it with the Expose that brings.
    InvalidateAll();
    IBox area;
    if (viewable && CollectDirtyArea(&area)) {
        DrawArea(area);
    }
    return NativeWindow();
}

void IGraphicsX11::WatchAncestors()
{
    // Hosts hide an editor by unmapping their own window (or one above it),
    // which tells our window nothing: watch every ancestor's mapping.
    {
        Display* d = AsDisplay(display);
        NoteXErrors errors(d); // an ancestor may go away meanwhile
        unsigned long at = window;
        for (;;) {
            Window root = 0;
            Window above = 0;
            Window* children = nullptr;
            unsigned count = 0;
            if (XQueryTree(d, at, &root, &above, &children, &count) == 0) {
                break;
            }
            if (children != nullptr) {
                XFree(children);
            }
            if (above == 0 || above == root) {
                break;
            }
            XSelectInput(d, above, StructureNotifyMask);
            at = above;
        }
    }
    UpdateViewable();
}

void IGraphicsX11::UpdateViewable()
{
    if (display == nullptr || window == 0) {
        viewable = false;
        return;
    }
    // The host may have destroyed the windows already (its DestroyNotify
    // still queued): an error here only means "not shown".
    XWindowAttributes attributes{};
    bool now = false;
    {
        NoteXErrors errors(AsDisplay(display));
        now = XGetWindowAttributes(AsDisplay(display), window, &attributes) != 0 &&
              attributes.map_state == IsViewable && errors.Errors() == 0;
    }
    if (now && !viewable) {
        InvalidateAll(); // what changed while hidden is drawn at once
    }
    viewable = now;
}

void IGraphicsX11::CloseWindow()
{
    if (window == 0) {
        return;
    }
    if (gestureCountdown > 0 && Plug() != nullptr) {
        Plug()->FlushDeferredEditEnd();
    }
    gestureCountdown = 0;
    EndOpenGesture(); // a drag the window closed under ends for the host too
    ReleaseMouse();
    DestroyWindowResources();
}

void IGraphicsX11::DestroyWindowResources()
{
    if (eventLoop != nullptr && display != nullptr) {
        eventLoop->Detach();
    }
    if (display != nullptr) {
        Display* d = AsDisplay(display);
        {
            NoteXErrors errors(d); // the host may have destroyed the windows already
            entry.reset();         // dropped without applying anything
            if (gc != nullptr) {
                XFreeGC(d, gc);
            }
            if (window != 0) {
                XDestroyWindow(d, window);
            }
        }
        XCloseDisplay(d);
    }
    entry.reset();
    display = nullptr;
    gc = nullptr;
    window = 0;
    visual = nullptr;
    exposePending = false;
    exposed = IBox{};
    viewable = false;
    lastPressTime = 0;
}

void* IGraphicsX11::NativeWindow()
{
    return reinterpret_cast<void*>(static_cast<uintptr_t>(window));
}

bool IGraphicsX11::PresentArea(const IBox& area)
{
    if (display == nullptr || window == 0 || Surface() == nullptr) {
        return true;
    }
    X11PutBitmap(display, window, gc, visual, depth, *Surface(), area);
    XFlush(AsDisplay(display));
    ++presentCount;
    return true;
}

void IGraphicsX11::Resize(int newWidth, int newHeight)
{
    entry.reset(); // its control goes with the others
    IGraphics::Resize(newWidth, newHeight);
    if (Surface() != nullptr) {
        Surface()->SetSize(SurfaceWidth(), SurfaceHeight());
    }
    if (display != nullptr && window != 0) {
        XResizeWindow(AsDisplay(display), window, static_cast<unsigned>(SurfaceWidth()),
                      static_cast<unsigned>(SurfaceHeight()));
        InvalidateAll();
    }
}

void IGraphicsX11::ScaleChanged()
{
    entry.reset(); // laid out for the old size
    if (display != nullptr && window != 0) {
        XResizeWindow(AsDisplay(display), window, static_cast<unsigned>(SurfaceWidth()),
                      static_cast<unsigned>(SurfaceHeight()));
        XFlush(AsDisplay(display));
    }
}

void IGraphicsX11::HandleEvents()
{
    while (display != nullptr && XPending(AsDisplay(display)) > 0) {
        XEvent event;
        XNextEvent(AsDisplay(display), &event);
        HandleEvent(event);
    }
    if (display != nullptr && exposePending) {
        exposePending = false;
        const IBox area = FromSurface(exposed);
        exposed = IBox{};
        DrawArea(area);
    }
}

void IGraphicsX11::HandleEvent(XEvent& event)
{
    if (entry != nullptr && event.type == Expose && event.xexpose.window == entry->Window()) {
        if (event.xexpose.count == 0) {
            entry->Redraw();
        }
        return;
    }
    if (event.type == MapNotify || event.type == UnmapNotify) {
        // Ours or an ancestor's: shown or hidden, whichever it was.
        UpdateViewable();
        return;
    }
    if (event.xany.window != window) {
        return;
    }
    switch (event.type) {
    case VisibilityNotify:
        UpdateViewable();
        break;
    case Expose: {
        viewable = true; // only a viewable window is exposed
        const IBox rect{event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
                        event.xexpose.y + event.xexpose.height};
        exposed = exposed.Union(rect);
        exposePending = true;
        break;
    }
    case ButtonPress:
        HandleButtonPress(event);
        break;
    case ButtonRelease:
        HandleButtonRelease(event);
        break;
    case MotionNotify:
        // Only the latest position matters.
        while (XCheckTypedWindowEvent(AsDisplay(display), window, MotionNotify, &event)) {
        }
        HandleMotion(event);
        break;
    case LeaveNotify:
        if ((event.xcrossing.state & (Button1Mask | Button3Mask)) == 0 &&
            (event.xcrossing.mode == NotifyNormal || event.xcrossing.mode == NotifyUngrab)) {
            hoverTracked = false;
            MouseLeft();
        }
        break;
    case KeyPress:
        HandleKey(event);
        break;
    case ClientMessage:
        HandleClientMessage(event);
        break;
    case ConfigureNotify:
        windowX = event.xconfigure.x;
        windowY = event.xconfigure.y;
        break;
    case DestroyNotify:
        // The host destroyed its window (and ours with it) without removing
        // the view first: forget the window, end what it began.
        if (event.xdestroywindow.window == window) {
            window = 0;
            if (gestureCountdown > 0 && Plug() != nullptr) {
                Plug()->FlushDeferredEditEnd();
            }
            gestureCountdown = 0;
            EndOpenGesture();
            ReleaseMouse();
            DestroyWindowResources();
        }
        break;
    default:
        break;
    }
}

void IGraphicsX11::HandleButtonPress(XEvent& event)
{
    const XButtonEvent& press = event.xbutton;
    IMouseKeys keys = KeysFromState(press.state);
    const int steps = press.button == kWheelUp || press.button == kWheelLeft      ? 1
                      : press.button == kWheelDown || press.button == kWheelRight ? -1
                                                                                  : 0;
    if (steps != 0) {
        MouseWheel(press.x, press.y, keys, steps);
        return;
    }
    if (press.button != kButtonLeft && press.button != kButtonRight) {
        return;
    }
    if (entry != nullptr) {
        if (press.button == kButtonRight) {
            entry->SetState(X11ValueEntry::kCancel); // nothing else sees this press
            return;
        }
        const IBox& box = entry->Box();
        if (press.x >= box.left && press.x < box.right && press.y >= box.top &&
            press.y < box.bottom) {
            return; // a click inside the entry stays in the entry
        }
        entry->SetState(X11ValueEntry::kCommit); // and the press goes on
    }
    TakeFocus();
    if (press.button == kButtonLeft) {
        keys.left = true;
        const bool nearLast = std::abs(press.x - lastPressX) <= kDoubleClickSlopPx &&
                              std::abs(press.y - lastPressY) <= kDoubleClickSlopPx;
        if (lastPressTime != 0 && press.time - lastPressTime <= kDoubleClickMs && nearLast) {
            lastPressTime = 0; // a third press starts over
            MouseDoubleClick(press.x, press.y, keys);
            return;
        }
        lastPressTime = press.time != 0 ? press.time : 1;
        lastPressX = press.x;
        lastPressY = press.y;
    } else {
        keys.right = true;
        lastPressTime = 0;
    }
    MouseDown(press.x, press.y, keys);
}

void IGraphicsX11::HandleButtonRelease(XEvent& event)
{
    const XButtonEvent& release = event.xbutton;
    if (release.button != kButtonLeft && release.button != kButtonRight) {
        return;
    }
    IMouseKeys keys = KeysFromState(release.state);
    if (release.button == kButtonLeft) {
        keys.left = false;
    } else {
        keys.right = false;
    }
    MouseUp(release.x, release.y, keys);
}

void IGraphicsX11::HandleMotion(XEvent& event)
{
    const XMotionEvent& motion = event.xmotion;
    const IMouseKeys keys = KeysFromState(motion.state);
    if (keys.left || keys.right) {
        // Delivered while the press's implicit grab lasts, also outside the
        // window: the captured control keeps the drag.
        if (CapturedIndex() >= 0) {
            MouseDrag(motion.x, motion.y, keys);
        }
        return;
    }
    hoverTracked = MouseHover(motion.x, motion.y, keys);
}

void IGraphicsX11::HandleKey(XEvent& event)
{
    char typed[kTypedBytes] = {};
    KeySym keysym = NoSymbol;
    const int length =
        XLookupString(&event.xkey, typed, static_cast<int>(sizeof typed) - 1, &keysym, nullptr);
    if (entry != nullptr) {
        entry->TypeKey(keysym, typed, length);
        return;
    }
    const int code = KeyCodeFor(keysym);
    if (code >= 0) {
        KeyDown(event.xkey.x, event.xkey.y, code);
    }
}

void IGraphicsX11::HandleClientMessage(XEvent&)
{
    // XEmbed messages (embedded notify, activation, focus in and out) need
    // no answer: the editor takes the focus itself when it is clicked.
}

void IGraphicsX11::TakeFocus()
{
    Display* d = AsDisplay(display);
    XWindowAttributes attributes{};
    // Focusing a window that is not viewable is an X error: ask first.
    if (XGetWindowAttributes(d, window, &attributes) != 0 && attributes.map_state == IsViewable) {
        XSetInputFocus(d, window, RevertToParent, CurrentTime);
    }
}

void IGraphicsX11::Tick()
{
    if (display == nullptr || window == 0) {
        return;
    }
    // Events Xlib already read from the connection leave nothing readable on
    // the descriptor: handle them here too.
    HandleEvents();
    if (display == nullptr) {
        return;
    }
    TickValueEntry();
    IBox area;
    // A hidden editor draws nothing: its changes wait for it to show again.
    if (viewable && CollectDirtyArea(&area)) {
        DrawArea(area);
    }
    if (gestureCountdown > 0) {
        --gestureCountdown;
        if (gestureCountdown == 0 && Plug() != nullptr) {
            Plug()->FlushDeferredEditEnd();
        }
    }
    ReapChildren();
    // Last: the host may close the editor when it hears what the plug-in
    // held back for it.
    if (Plug() != nullptr) {
        Plug()->EditorTick();
    }
}

void IGraphicsX11::StartGestureTimer(int ticks)
{
    if (window == 0) {
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

void IGraphicsX11::StopGestureTimer()
{
    gestureCountdown = 0;
}

void IGraphicsX11::PromptParamValue(IControl* control, IParamRecord* param, bool)
{
    if (control == nullptr || param == nullptr || entry != nullptr || display == nullptr) {
        return;
    }
    char text[kDisplayTextSize] = {};
    char widest[kDisplayTextSize] = {};
    param->FormatValue(param->Value(), false, text, sizeof text);
    param->FormatValue(1.0, true, widest, sizeof widest);
    const IBox& box = control->Box();
    const int cx = static_cast<int>((box.left + box.right) * 0.5f);
    const int cy = static_cast<int>((box.top + box.bottom) * 0.5f);
    const int length = static_cast<int>(std::char_traits<char>::length(widest));
    const int width = std::max(kEntryMinWidth, kEntryCharWidth * length + kEntryPadding);
    const IBox entryBox =
        ToSurface(IBox{cx - width / 2, cy - kEntryHalfHeight, cx - width / 2 + width,
                       cy - kEntryHalfHeight + kEntryHeight});
    entry = std::make_unique<X11ValueEntry>(display, window, visual, depth, *this, entryBox, text,
                                            control, param);
    if (!entry->Valid()) {
        entry.reset();
        return;
    }
    TakeFocus(); // typing goes to the editor window, which hands it to the entry
}

bool IGraphicsX11::ValueEntryOpen() const
{
    return entry != nullptr;
}

void IGraphicsX11::TickValueEntry()
{
    if (entry == nullptr) {
        return;
    }
    const int state = entry->CurrentState();
    switch (state) {
    case X11ValueEntry::kFocused:
        entry->SetState(X11ValueEntry::kIdle);
        return;
    case X11ValueEntry::kCommit:
    case X11ValueEntry::kCancel:
        break;
    default:
        return;
    }
    // The entry closes before the value goes out: a host may close the
    // editor, and the entry with it, when it hears of the edit.
    IControl* control = entry->Control();
    IParamRecord* param = entry->Param();
    const std::string text = entry->Text();
    entry.reset();
    if (state == X11ValueEntry::kCommit) {
        ApplyEditedText(control, param, text.c_str());
    }
    control->EndValuePrompt();
}

void IGraphicsX11::EditControlText(ITextControl*) {}

void IGraphicsX11::HostFolder(TextBuffer* folder)
{
    if (folder == nullptr) {
        return;
    }
    char path[PATH_MAX] = {};
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    folder->Set(length > 0 ? FolderOf(path).c_str() : "");
}

void IGraphicsX11::ModuleFolder(TextBuffer* folder)
{
    if (folder == nullptr) {
        return;
    }
    Dl_info info{};
    const bool found =
        dladdr(reinterpret_cast<void*>(&FolderOf), &info) != 0 && info.dli_fname != nullptr;
    folder->Set(found ? FolderOf(info.dli_fname).c_str() : "");
}

void IGraphicsX11::PromptForFile(TextBuffer* path, int, const char*, const char*)
{
    if (path != nullptr) {
        path->Set("");
    }
}

bool IGraphicsX11::PromptForColor(IRgba*, const char*)
{
    return false;
}

bool IGraphicsX11::OpenUrl(const char* url, const char*, const char*, const char*)
{
    if (url == nullptr || url[0] == '\0') {
        return false;
    }
    // The address is one argument of xdg-open, never part of a shell line.
    std::string program = "xdg-open";
    std::string address = url;
    char* arguments[] = {program.data(), address.data(), nullptr};
    pid_t child = 0;
    if (posix_spawnp(&child, "xdg-open", nullptr, nullptr, arguments, environ) != 0) {
        return false;
    }
    children.push_back(static_cast<int>(child));
    ReapChildren();
    return true;
}

void IGraphicsX11::ReapChildren()
{
    children.erase(std::remove_if(children.begin(), children.end(),
                                  [](int child) {
                                      int status = 0;
                                      return waitpid(child, &status, WNOHANG) != 0;
                                  }),
                   children.end());
}

void IGraphicsX11::RefreshTooltip() {}

PX_IBitmap* IGraphicsX11::LoadImageResource(int resourceId, const char*)
{
    return LoadPngResource(module, resourceId, nullptr);
}

float IGraphicsX11::SystemScale(void*)
{
    // Xft.dpi in the server's resources is what desktops set for their
    // scale (144 at 150 %); GDK_SCALE is a whole factor users set by hand.
    float dpi = 0.0f;
    if (Display* d = XOpenDisplay(nullptr)) {
        if (const char* resources = XResourceManagerString(d)) {
            dpi = XftDpiIn(resources);
        }
        XCloseDisplay(d);
    }
    if (dpi > 0.0f) {
        return dpi / kReferenceDpi;
    }
    const char* gdkScale = std::getenv("GDK_SCALE");
    if (gdkScale != nullptr) {
        const int factor = std::atoi(gdkScale);
        if (factor >= 1 && factor <= static_cast<int>(kMaxEditorScale)) {
            return static_cast<float>(factor);
        }
    }
    return 1.0f;
}

float IGraphicsX11::XftDpiIn(const char* resources)
{
    static constexpr char kKey[] = "Xft.dpi:";
    for (const char* line = resources; line != nullptr && *line != '\0';) {
        if (std::strncmp(line, kKey, sizeof kKey - 1) == 0) {
            char* end = nullptr;
            const float dpi = std::strtof(line + sizeof kKey - 1, &end);
            return end != line + sizeof kKey - 1 && dpi > 0.0f && dpi < 10000.0f ? dpi : 0.0f;
        }
        line = std::strchr(line, '\n');
        if (line != nullptr) {
            ++line;
        }
    }
    return 0.0f;
}

} // namespace toneloom
