#include "PlayerWindowX11.h"

#include "IGraphicsX11.h"
#include "PlayerPlugFrame.h"
#include "PlayerStrip.h"
#include "PX_Png.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

using namespace Steinberg;

namespace toneloom {

namespace {

Display* AsDisplay(_XDisplay* display)
{
    return reinterpret_cast<Display*>(display);
}

// The window's own colour behind everything (the editor's darkest panel).
constexpr unsigned long kBackground = 0x161a22;

// The program's icon at 16 and 48 pixels (its own pictures), as the
// window's _NET_WM_ICON, for window managers that draw one from the window.
constexpr int kIconPictures[] = {130, 131};

void SetWindowIcon(Display* d, Window window)
{
    std::vector<unsigned long> icon; // width, height, ARGB pixels; then the next size
    for (int id : kIconPictures) {
        std::unique_ptr<PX_IBitmap> picture(LoadPngResource(nullptr, id, nullptr));
        if (!picture || picture->Pixels() == nullptr) {
            continue;
        }
        icon.push_back(static_cast<unsigned long>(picture->Width()));
        icon.push_back(static_cast<unsigned long>(picture->Height()));
        for (int y = 0; y < picture->Height(); ++y) {
            const PX_Pixel* row = picture->Row(y);
            icon.insert(icon.end(), row, row + picture->Width());
        }
    }
    if (!icon.empty()) {
        XChangeProperty(d, window, XInternAtom(d, "_NET_WM_ICON", False), XA_CARDINAL, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(icon.data()),
                        static_cast<int>(icon.size()));
    }
}

void FixSize(Display* d, Window window, int width, int height, const PlayerWindow::Placement* at)
{
    XSizeHints* hints = XAllocSizeHints();
    if (hints == nullptr) {
        return;
    }
    hints->flags = PMinSize | PMaxSize;
    hints->min_width = hints->max_width = width;
    hints->min_height = hints->max_height = height;
    if (at != nullptr && at->hasPosition) {
        hints->flags |= USPosition | PWinGravity;
        hints->x = at->x;
        hints->y = at->y;
        hints->win_gravity = NorthWestGravity;
    }
    XSetWMNormalHints(d, window, hints);
    XFree(hints);
}

} // namespace

std::unique_ptr<PlayerWindow> PlayerWindow::Create(std::string* reason)
{
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') {
        *reason = "no display to open a window on (DISPLAY is not set)";
        return nullptr;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        *reason = std::string("cannot open the display \"") + name + "\"";
        return nullptr;
    }
    return std::make_unique<PlayerWindowX11>(reinterpret_cast<_XDisplay*>(display));
}

PlayerWindowX11::PlayerWindowX11(_XDisplay* newDisplay) : display(newDisplay) {}

PlayerWindowX11::~PlayerWindowX11()
{
    Close();
    XCloseDisplay(AsDisplay(display));
}

bool PlayerWindowX11::Open(PlayerStrip& newStrip, IPlugView* newView, const Placement& placement,
                           Client& newClient, std::string* error)
{
    Display* d = AsDisplay(display);
    strip = &newStrip;
    view = newView;
    client = &newClient;
    if (view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID) != kResultTrue) {
        *error = "the plug-in's editor cannot open in an X11 window";
        return false;
    }
    frame = new PlayerPlugFrame([this](int w, int h) { ViewAskedForSize(w, h); }, &loop);
    view->setFrame(frame);
    ViewRect size;
    if (view->getSize(&size) != kResultOk || size.getWidth() <= 0 || size.getHeight() <= 0) {
        size = ViewRect(0, 0, PlayerStrip::kWidth, kListRoom);
    }
    Arrange(size.getWidth(), size.getHeight(), nullptr);

    const int screen = DefaultScreen(d);
    XSetWindowAttributes attributes{};
    attributes.background_pixel = kBackground;
    attributes.event_mask = StructureNotifyMask;
    topLevel = XCreateWindow(d, RootWindow(d, screen), placement.hasPosition ? placement.x : 0,
                             placement.hasPosition ? placement.y : 0, static_cast<unsigned>(width),
                             static_cast<unsigned>(stripHeight + viewHeight), 0, CopyFromParent,
                             InputOutput, CopyFromParent, CWBackPixel | CWEventMask, &attributes);
    if (topLevel == 0) {
        *error = "the window could not be made";
        return false;
    }
    XStoreName(d, topLevel, "Toneloom");
    const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    const char title[] = "Toneloom";
    XChangeProperty(d, topLevel, XInternAtom(d, "_NET_WM_NAME", False), utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title), sizeof title - 1);
    XClassHint classHint{};
    char resName[] = "toneloom-play";
    char resClass[] = "Toneloom";
    classHint.res_name = resName;
    classHint.res_class = resClass;
    XSetClassHint(d, topLevel, &classHint);
    atomProtocols = XInternAtom(d, "WM_PROTOCOLS", False);
    atomDeleteWindow = XInternAtom(d, "WM_DELETE_WINDOW", False);
    Atom deleteWindow = atomDeleteWindow;
    XSetWMProtocols(d, topLevel, &deleteWindow, 1);
    SetWindowIcon(d, topLevel);
    FixSize(d, topLevel, width, stripHeight + viewHeight, &placement);

    // The strip first, then the container above it: the editor covers the
    // strip's list room until a list opens.
    stripGraphics = new IGraphicsX11(strip, PlayerStrip::kWidth, PlayerStrip::kHeight + kListRoom);
    stripGraphics->SetEventLoop(&loop);
    strip->BuildControls(stripGraphics);
    if (std::fabs(StripScale() - 1.0f) > 1e-3f) {
        stripGraphics->SetScale(StripScale());
    }
    XSync(d, False);
    if (stripGraphics->OpenWindow(reinterpret_cast<void*>(static_cast<uintptr_t>(topLevel))) ==
        nullptr) {
        *error = "the strip's window could not be opened";
        Close();
        return false;
    }
    container = XCreateSimpleWindow(d, topLevel, 0, stripHeight, static_cast<unsigned>(viewWidth),
                                    static_cast<unsigned>(viewHeight), 0, 0, kBackground);
    XMapRaised(d, container);
    XSetWindowAttributes catching{};
    catching.event_mask = ButtonPressMask;
    catcher = XCreateWindow(d, topLevel, 0, stripHeight, static_cast<unsigned>(viewWidth),
                            static_cast<unsigned>(viewHeight), 0, 0, InputOnly, CopyFromParent,
                            CWEventMask, &catching);
    int shapeEvent = 0;
    int shapeError = 0;
    shapeAvailable = XShapeQueryExtension(d, &shapeEvent, &shapeError) != 0;
    XSync(d, False);

    if (view->attached(reinterpret_cast<void*>(static_cast<uintptr_t>(container)),
                       kPlatformTypeX11EmbedWindowID) != kResultOk) {
        *error = "the plug-in's editor did not open";
        Close();
        return false;
    }
    attached = true;
    loop.WatchOwn(ConnectionNumber(d), [this] { HandleEvents(); });
    // What the view asks of the window is done on the loop's next turns:
    // the tick, and whenever the strip has handled its events (when its
    // lists open and close).
    loop.AddOwnTimer(kTickMs, [this] {
        if (resizeWanted) {
            ApplyViewSize();
        }
        client->Tick();
    });
    loop.AfterStrip([this] { FollowStripList(); });
    mapRequested = std::chrono::steady_clock::now();
    XMapWindow(d, topLevel);
    XFlush(d);
    return true;
}

void PlayerWindowX11::Run()
{
    loop.Run();
}

void PlayerWindowX11::HandleEvents()
{
    Display* d = AsDisplay(display);
    while (XPending(d) > 0) {
        XEvent event;
        XNextEvent(d, &event);
        if (event.type == ClientMessage && event.xclient.window == topLevel &&
            static_cast<unsigned long>(event.xclient.message_type) == atomProtocols &&
            static_cast<unsigned long>(event.xclient.data.l[0]) == atomDeleteWindow) {
            client->CloseRequested();
        } else if (event.type == ButtonPress && event.xbutton.window == catcher) {
            strip->CloseList();
            FollowStripList();
        } else if (event.type == MapNotify && event.xmap.window == topLevel && !mapped) {
            mapped = true;
            mapMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() -
                                                              mapRequested)
                        .count();
        }
    }
}

void PlayerWindowX11::ApplyViewSize()
{
    resizeWanted = false;
    if (!attached) {
        return;
    }
    Display* d = AsDisplay(display);
    Arrange(wantedWidth, wantedHeight, stripGraphics);
    FixSize(d, topLevel, width, stripHeight + viewHeight, nullptr);
    XResizeWindow(d, topLevel, static_cast<unsigned>(width),
                  static_cast<unsigned>(stripHeight + viewHeight));
    XMoveResizeWindow(d, container, 0, stripHeight, static_cast<unsigned>(viewWidth),
                      static_cast<unsigned>(viewHeight));
    XMoveResizeWindow(d, catcher, 0, stripHeight, static_cast<unsigned>(viewWidth),
                      static_cast<unsigned>(viewHeight));
    XSync(d, False);
    ViewRect size(0, 0, viewWidth, viewHeight);
    view->onSize(&size);
}

void PlayerWindowX11::FollowStripList()
{
    if (!shapeAvailable || container == 0 || stripGraphics == nullptr) {
        return;
    }
    Display* d = AsDisplay(display);
    IBox logical;
    if (!strip->PopupArea(&logical)) {
        if (listCut) {
            XUnmapWindow(d, catcher);
            XShapeCombineMask(d, container, ShapeBounding, 0, 0, None, ShapeSet);
            XFlush(d);
            listCut = false;
        }
        return;
    }
    // The list in the container's pixels, and the container around it.
    IBox box = stripGraphics->ToSurface(logical);
    box.top -= stripHeight;
    box.bottom -= stripHeight;
    box.left = std::clamp(box.left, 0, viewWidth);
    box.right = std::clamp(box.right, 0, viewWidth);
    box.top = std::clamp(box.top, 0, viewHeight);
    box.bottom = std::clamp(box.bottom, 0, viewHeight);
    XRectangle rest[4];
    int count = 0;
    auto add = [&rest, &count](int x, int y, int w, int h) {
        if (w > 0 && h > 0) {
            rest[count++] = XRectangle{static_cast<short>(x), static_cast<short>(y),
                                       static_cast<unsigned short>(w),
                                       static_cast<unsigned short>(h)};
        }
    };
    add(0, 0, viewWidth, box.top);                                    // above
    add(0, box.bottom, viewWidth, viewHeight - box.bottom);           // below
    add(0, box.top, box.left, box.Height());                          // left
    add(box.right, box.top, viewWidth - box.right, box.Height());     // right
    XShapeCombineRectangles(d, container, ShapeBounding, 0, 0, rest, count, ShapeSet, Unsorted);
    // A press on the editor while the list is open closes the list, as a
    // press anywhere else does: an input-only window over the editor (but
    // not the list) catches it before the editor's window does.
    XShapeCombineRectangles(d, catcher, ShapeBounding, 0, 0, rest, count, ShapeSet, Unsorted);
    if (!listCut) {
        XMapRaised(d, catcher);
    }
    XFlush(d);
    listCut = true;
}

bool PlayerWindowX11::Position(int* x, int* y) const
{
    if (topLevel == 0 || !mapped) {
        return false;
    }
    Display* d = AsDisplay(display);
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    if (!XTranslateCoordinates(d, topLevel, DefaultRootWindow(d), 0, 0, &rootX, &rootY, &child)) {
        return false;
    }
    // A window manager's frame lies around the window: the frame's corner is
    // what the next start asks for.
    Atom type = 0;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, topLevel, XInternAtom(d, "_NET_FRAME_EXTENTS", False), 0, 4, False,
                           XA_CARDINAL, &type, &format, &items, &after, &data) == Success &&
        data != nullptr) {
        if (format == 32 && items == 4) {
            const long* extents = reinterpret_cast<const long*>(data);
            rootX -= static_cast<int>(extents[0]);
            rootY -= static_cast<int>(extents[2]);
        }
        XFree(data);
    }
    *x = rootX;
    *y = rootY;
    return true;
}

void PlayerWindowX11::Close()
{
    Display* d = AsDisplay(display);
    if (attached) {
        view->removed();
        attached = false;
    }
    if (view != nullptr) {
        view->setFrame(nullptr);
        view = nullptr;
    }
    loop.ReleaseAll();
    if (stripGraphics != nullptr) {
        stripGraphics->CloseWindow();
        stripGraphics = nullptr;
    }
    if (catcher != 0) {
        XDestroyWindow(d, catcher);
        catcher = 0;
    }
    if (container != 0) {
        XDestroyWindow(d, container);
        container = 0;
    }
    if (topLevel != 0) {
        XDestroyWindow(d, topLevel);
        topLevel = 0;
        XSync(d, False);
    }
    if (frame != nullptr) {
        frame->release();
        frame = nullptr;
    }
}

std::string PlayerWindowX11::HostReport() const
{
    return loop.Report() + "map-ms " + std::to_string(mapMs) + "\n";
}

} // namespace toneloom
