#include "X11ValueEntry.h"

#include "IGraphics.h"
#include "PX_Draw.h"
#include "PX_IFont.h"
#include "X11PutBitmap.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cmath>

namespace toneloom {

namespace {

constexpr PX_Pixel kFieldColour = 0xFFFFFFFF;
constexpr PX_Pixel kFrameColour = 0xFF7A7A7A;
constexpr PX_Pixel kTextColour = 0xFF000000;
constexpr PX_Pixel kSelectionColour = 0xFF3875D7;
constexpr PX_Pixel kSelectedTextColour = 0xFFFFFFFF;
constexpr int kLatin1Lead = 0xC0; // first byte of a two-byte UTF-8 sequence
constexpr int kContinuation = 0x80;
constexpr int kFirstPrintable = 0x20;
constexpr int kDelete = 0x7F;

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == kContinuation;
}

// Latin-1 text (what XLookupString gives) as UTF-8, printable characters only.
std::string Latin1ToUtf8(const char* typed, int length)
{
    std::string out;
    for (int i = 0; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(typed[i]);
        if (byte < kFirstPrintable || byte == kDelete) {
            continue;
        }
        if (byte < 0x80) {
            out += static_cast<char>(byte);
        } else {
            out += static_cast<char>(kLatin1Lead | (byte >> 6));
            out += static_cast<char>(kContinuation | (byte & 0x3F));
        }
    }
    return out;
}

} // namespace

X11ValueEntry::X11ValueEntry(_XDisplay* xDisplay, unsigned long editorWindow, void* windowVisual,
                             int windowDepth, IGraphics& editor, const IBox& entryBox,
                             const char* initialText, IControl* editedControl,
                             IParamRecord* editedParam)
    : display(xDisplay), visual(windowVisual), depth(windowDepth), graphics(editor), box(entryBox),
      control(editedControl), param(editedParam), text(initialText != nullptr ? initialText : ""),
      caret(text.size()), pixels(entryBox.Width(), entryBox.Height(), 4)
{
    if (display == nullptr || box.Width() <= 0 || box.Height() <= 0) {
        return;
    }
    XSetWindowAttributes attributes{};
    attributes.event_mask = ExposureMask;
    attributes.border_pixel = 0;
    window =
        XCreateWindow(display, editorWindow, box.left, box.top, static_cast<unsigned>(box.Width()),
                      static_cast<unsigned>(box.Height()), 0, CopyFromParent, InputOutput,
                      CopyFromParent, CWEventMask | CWBorderPixel, &attributes);
    if (window == 0) {
        return;
    }
    gc = XCreateGC(display, window, 0, nullptr);
    XMapRaised(display, window);
    Redraw();
}

X11ValueEntry::~X11ValueEntry()
{
    if (display == nullptr) {
        return;
    }
    if (gc != nullptr) {
        XFreeGC(display, gc);
    }
    if (window != 0) {
        XDestroyWindow(display, window);
    }
    XFlush(display);
}

void X11ValueEntry::TypeKey(unsigned long keysym, const char* typed, int typedLength)
{
    switch (keysym) {
    case XK_Return:
    case XK_KP_Enter:
        allSelected = false;
        state = kCommit;
        return;
    case XK_Escape:
        state = kCancel;
        return;
    case XK_BackSpace:
        DeleteSelectionOrChar(false);
        break;
    case XK_Delete:
    case XK_KP_Delete:
        DeleteSelectionOrChar(true);
        break;
    case XK_Left:
    case XK_KP_Left:
        caret = allSelected ? 0 : PreviousCharStart(caret);
        allSelected = false;
        break;
    case XK_Right:
    case XK_KP_Right:
        caret = allSelected ? text.size() : NextCharStart(caret);
        allSelected = false;
        break;
    case XK_Home:
    case XK_KP_Home:
    case XK_Up:
        caret = 0;
        allSelected = false;
        break;
    case XK_End:
    case XK_KP_End:
    case XK_Down:
        caret = text.size();
        allSelected = false;
        break;
    default:
        InsertText(Latin1ToUtf8(typed, typedLength));
        break;
    }
    state = kFocused;
    Redraw();
}

void X11ValueEntry::InsertText(const std::string& utf8)
{
    if (utf8.empty()) {
        return;
    }
    if (allSelected) {
        text.clear();
        caret = 0;
        allSelected = false;
    }
    if (text.size() + utf8.size() > kMaxTextBytes) {
        return;
    }
    text.insert(caret, utf8);
    caret += utf8.size();
}

void X11ValueEntry::DeleteSelectionOrChar(bool forward)
{
    if (allSelected) {
        text.clear();
        caret = 0;
        allSelected = false;
        return;
    }
    if (forward) {
        const size_t end = NextCharStart(caret);
        text.erase(caret, end - caret);
    } else {
        const size_t start = PreviousCharStart(caret);
        text.erase(start, caret - start);
        caret = start;
    }
}

size_t X11ValueEntry::PreviousCharStart(size_t offset) const
{
    if (offset == 0) {
        return 0;
    }
    --offset;
    while (offset > 0 && IsContinuation(static_cast<unsigned char>(text[offset]))) {
        --offset;
    }
    return offset;
}

size_t X11ValueEntry::NextCharStart(size_t offset) const
{
    if (offset >= text.size()) {
        return text.size();
    }
    ++offset;
    while (offset < text.size() && IsContinuation(static_cast<unsigned char>(text[offset]))) {
        ++offset;
    }
    return offset;
}

void X11ValueEntry::Redraw()
{
    if (window == 0 || pixels.Pixels() == nullptr) {
        return;
    }
    const int width = pixels.Width();
    const int height = pixels.Height();
    FillArea(&pixels, 0, 0, width, height, kFieldColour, 1.0f, kPxCopy);
    DrawLineInt(&pixels, 0, 0, width - 1, 0, kFrameColour, 1.0f, kPxCopy, false);
    DrawLineInt(&pixels, 0, height - 1, width - 1, height - 1, kFrameColour, 1.0f, kPxCopy, false);
    DrawLineInt(&pixels, 0, 0, 0, height - 1, kFrameColour, 1.0f, kPxCopy, false);
    DrawLineInt(&pixels, width - 1, 0, width - 1, height - 1, kFrameColour, 1.0f, kPxCopy, false);

    // The box is laid out in surface pixels; so is its text.
    const int fontHeight =
        std::max(1, static_cast<int>(std::lround(kFontHeight * graphics.Scale())));
    ITextStyle style("Arial", fontHeight, IRgba(255, 0, 0, 0), kStyleNormal, kAlignCenter);
    PX_IFont* font = graphics.FontFor(style);
    if (font != nullptr) {
        // Measure the whole text and the part before the caret, centred as
        // the text is drawn.
        PX_Rect extent{0, 0, 0, 0};
        font->DrawText(nullptr, text.c_str(), static_cast<int>(text.size()), &extent,
                       kPxTextMeasure | kPxTextSingleLine);
        const int textWidth = extent.right - extent.left;
        const int textLeft = (width - textWidth) / 2;
        const int textTop = (height - font->LineHeight()) / 2;
        if (allSelected && !text.empty()) {
            FillArea(&pixels, textLeft, 1, textWidth, height - 2, kSelectionColour, 1.0f, kPxCopy);
        }
        font->SetTextColor(allSelected ? kSelectedTextColour : kTextColour);
        PX_Rect where{textLeft, textTop, textLeft + textWidth + 1, textTop + font->LineHeight()};
        font->DrawText(&pixels, text.c_str(), static_cast<int>(text.size()), &where,
                       kPxTextSingleLine | kPxTextNoClip);
        if (!allSelected) {
            PX_Rect before{0, 0, 0, 0};
            font->DrawText(nullptr, text.c_str(), static_cast<int>(caret), &before,
                           kPxTextMeasure | kPxTextSingleLine);
            const int caretX = textLeft + (before.right - before.left);
            DrawLineInt(&pixels, caretX, 2, caretX, height - 3, kTextColour, 1.0f, kPxCopy, false);
        }
    }
    X11PutBitmap(display, window, gc, visual, depth, pixels, IBox{0, 0, width, height});
    XFlush(display);
}

} // namespace toneloom
