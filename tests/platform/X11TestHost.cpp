#include "X11TestHost.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <poll.h>

#include <algorithm>
#include <chrono>

using namespace Steinberg;

namespace toneloom::testing {

namespace {

int64_t NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

tresult PLUGIN_API TestRunLoop::registerEventHandler(Linux::IEventHandler* handler,
                                                     Linux::FileDescriptor fd)
{
    if (handler == nullptr || fd < 0) {
        return kInvalidArgument;
    }
    handler->addRef();
    handlers.push_back(Watch{handler, fd});
    return kResultOk;
}

tresult PLUGIN_API TestRunLoop::unregisterEventHandler(Linux::IEventHandler* handler)
{
    for (auto it = handlers.begin(); it != handlers.end(); ++it) {
        if (it->handler == handler) {
            it->handler->release();
            handlers.erase(it);
            return kResultOk;
        }
    }
    return kResultFalse;
}

tresult PLUGIN_API TestRunLoop::registerTimer(Linux::ITimerHandler* handler,
                                              Linux::TimerInterval ms)
{
    if (handler == nullptr || ms == 0) {
        return kInvalidArgument;
    }
    handler->addRef();
    timers.push_back(Timer{handler, ms, NowMs() + static_cast<int64_t>(ms)});
    return kResultOk;
}

tresult PLUGIN_API TestRunLoop::unregisterTimer(Linux::ITimerHandler* handler)
{
    for (auto it = timers.begin(); it != timers.end(); ++it) {
        if (it->handler == handler) {
            it->handler->release();
            timers.erase(it);
            return kResultOk;
        }
    }
    return kResultFalse;
}

void TestRunLoop::RunFor(int milliseconds)
{
    const int64_t end = NowMs() + milliseconds;
    for (;;) {
        const int64_t now = NowMs();
        if (now >= end) {
            return;
        }
        int64_t wait = end - now;
        for (const Timer& timer : timers) {
            wait = std::min(wait, std::max<int64_t>(0, timer.dueMs - now));
        }
        std::vector<pollfd> fds;
        for (const Watch& watch : handlers) {
            fds.push_back(pollfd{watch.fd, POLLIN, 0});
        }
        poll(fds.data(), fds.size(), static_cast<int>(wait));
        // Callbacks may unregister anything: look each one up again.
        for (const pollfd& fd : fds) {
            if ((fd.revents & POLLIN) == 0) {
                continue;
            }
            for (const Watch& watch : handlers) {
                if (watch.fd == fd.fd) {
                    Linux::IEventHandler* handler = watch.handler;
                    handler->addRef();
                    handler->onFDIsSet(fd.fd);
                    handler->release();
                    break;
                }
            }
        }
        const int64_t after = NowMs();
        for (size_t i = 0; i < timers.size(); ++i) {
            if (timers[i].dueMs <= after) {
                timers[i].dueMs = after + static_cast<int64_t>(timers[i].periodMs);
                Linux::ITimerHandler* handler = timers[i].handler;
                handler->addRef();
                handler->onTimer();
                handler->release();
            }
        }
    }
}

tresult PLUGIN_API TestRunLoop::queryInterface(const TUID iid, void** obj)
{
    if (FUnknownPrivate::iidEqual(iid, Linux::IRunLoop::iid) ||
        FUnknownPrivate::iidEqual(iid, FUnknown::iid)) {
        addRef();
        *obj = static_cast<Linux::IRunLoop*>(this);
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

uint32 PLUGIN_API TestRunLoop::release()
{
    return --references; // owned by the test
}

tresult PLUGIN_API TestPlugFrame::resizeView(IPlugView* view, ViewRect* newSize)
{
    ++resizeRequests;
    if (newSize != nullptr) {
        lastSize = *newSize;
        // As hosts do: the view hears its new size.
        if (view != nullptr) {
            view->onSize(newSize);
        }
    }
    return kResultOk;
}

tresult PLUGIN_API TestPlugFrame::queryInterface(const TUID iid, void** obj)
{
    if (FUnknownPrivate::iidEqual(iid, IPlugFrame::iid) ||
        FUnknownPrivate::iidEqual(iid, FUnknown::iid)) {
        addRef();
        *obj = static_cast<IPlugFrame*>(this);
        return kResultOk;
    }
    if (runLoop != nullptr && FUnknownPrivate::iidEqual(iid, Linux::IRunLoop::iid)) {
        runLoop->addRef();
        *obj = static_cast<Linux::IRunLoop*>(runLoop);
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

uint32 PLUGIN_API TestPlugFrame::release()
{
    return --references; // owned by the test
}

HostWindow::HostWindow(int windowLeft, int windowTop, int width, int height)
    : left(windowLeft), top(windowTop)
{
    display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return;
    }
    const int screen = DefaultScreen(display);
    window = XCreateSimpleWindow(display, RootWindow(display, screen), left, top,
                                 static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                                 BlackPixel(display, screen), WhitePixel(display, screen));
    XSelectInput(display, window, StructureNotifyMask);
    XMapWindow(display, window);
    XEvent event;
    do {
        XNextEvent(display, &event);
    } while (event.type != MapNotify);
    XSync(display, False);
}

HostWindow::HostWindow(unsigned long existing) : left(0), top(0), owned(false)
{
    display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return;
    }
    Window child = 0;
    if (XTranslateCoordinates(display, existing, DefaultRootWindow(display), 0, 0, &left, &top,
                              &child) != 0) {
        window = existing;
    }
}

HostWindow::~HostWindow()
{
    if (display == nullptr) {
        return;
    }
    if (window != 0 && owned) {
        XDestroyWindow(display, window);
    }
    XCloseDisplay(display);
}

void HostWindow::Unmap() const
{
    XUnmapWindow(display, window);
    XSync(display, False);
}

void HostWindow::Map() const
{
    XMapWindow(display, window);
    XSync(display, False);
}

void HostWindow::Destroy()
{
    if (display != nullptr && window != 0) {
        XDestroyWindow(display, window);
        XSync(display, False);
        window = 0;
    }
}

std::vector<unsigned long> HostWindow::Children() const
{
    return ChildrenOf(window);
}

std::vector<unsigned long> HostWindow::ChildrenOf(unsigned long parent) const
{
    XSync(display, False);
    Window root = 0;
    Window parentOut = 0;
    Window* children = nullptr;
    unsigned count = 0;
    std::vector<unsigned long> out;
    if (XQueryTree(display, parent, &root, &parentOut, &children, &count) != 0) {
        out.assign(children, children + count);
        XFree(children);
    }
    return out;
}

bool HostWindow::HasXembedInfo(unsigned long child) const
{
    const Atom info = XInternAtom(display, "_XEMBED_INFO", False);
    Atom type = 0;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const bool read = XGetWindowProperty(display, child, info, 0, 2, False, info, &type, &format,
                                         &items, &after, &data) == Success;
    const bool present = read && type == info && format == 32 && items == 2;
    if (data != nullptr) {
        XFree(data);
    }
    return present;
}

std::vector<uint32_t> HostWindow::Capture(int* width, int* height) const
{
    XSync(display, False);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, window, &attributes);
    *width = attributes.width;
    *height = attributes.height;
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    std::vector<uint32_t> pixels;
    if (image == nullptr) {
        return pixels;
    }
    pixels.reserve(static_cast<size_t>(attributes.width) * attributes.height);
    for (int y = 0; y < attributes.height; ++y) {
        for (int x = 0; x < attributes.width; ++x) {
            pixels.push_back(static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF);
        }
    }
    XDestroyImage(image);
    return pixels;
}

void HostWindow::MoveTo(int x, int y) const
{
    XTestFakeMotionEvent(display, DefaultScreen(display), left + x, top + y, CurrentTime);
    XFlush(display);
}

void HostWindow::Press(unsigned button) const
{
    XTestFakeButtonEvent(display, button, True, CurrentTime);
    XFlush(display);
}

void HostWindow::Release(unsigned button) const
{
    XTestFakeButtonEvent(display, button, False, CurrentTime);
    XFlush(display);
}

void HostWindow::Click(int x, int y, unsigned button) const
{
    MoveTo(x, y);
    Press(button);
    Release(button);
}

void HostWindow::KeyTap(unsigned long keysym) const
{
    const KeyCode code = XKeysymToKeycode(display, keysym);
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    XFlush(display);
}

void HostWindow::Type(const std::string& text) const
{
    for (const char c : text) {
        KeySym keysym = NoSymbol;
        if (c == '.') {
            keysym = XK_period;
        } else if (c == '-') {
            keysym = XK_minus;
        } else if (c == ' ') {
            keysym = XK_space;
        } else {
            keysym = static_cast<KeySym>(static_cast<unsigned char>(c));
        }
        KeyTap(keysym);
    }
}

} // namespace toneloom::testing
