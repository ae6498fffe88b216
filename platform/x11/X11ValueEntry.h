// The native value entry of the X11 editor: a one-line text box laid over the
// editor window, holding the parameter's display text, all of it selected.
// Typing replaces the selection; Backspace, Delete, the arrows, Home and End
// edit as in any text field. Return asks for a commit and Escape for a
// cancel; the editor collects the result on its next tick, like the Windows
// entry. The box draws itself with the editor's raster text.
//
// [UI thread] Made, driven and destroyed by IGraphicsX11.
#pragma once

#include "IGraphicsTypes.h"
#include "PX_MemBitmap.h"

#include <string>

struct _XDisplay;
struct _XGC;

namespace toneloom {

class IControl;
class IGraphics;
class IParamRecord;

class X11ValueEntry
{
public:
    // The states the editor's tick reads, as the Windows entry has them.
    enum State
    {
        kIdle = 0,    // nothing new
        kFocused = 1, // just opened or typed into
        kCancel = 2,  // Escape, or a right click in the editor
        kCommit = 3,  // Return, or a left click in the editor
    };

    // Font of the entry text, and the longest text it keeps.
    static constexpr int kFontHeight = 14;        // pixels
    static constexpr size_t kMaxTextBytes = 1000; // as the Windows entry reads

    // Creates and maps the box as a child of `editorWindow`. Valid() is false
    // when the window could not be made.
    X11ValueEntry(_XDisplay* display, unsigned long editorWindow, void* visual, int depth,
                  IGraphics& graphics, const IBox& box, const char* text, IControl* control,
                  IParamRecord* param);
    ~X11ValueEntry();
    X11ValueEntry(const X11ValueEntry&) = delete;
    X11ValueEntry& operator=(const X11ValueEntry&) = delete;

    bool Valid() const { return window != 0; }
    unsigned long Window() const { return window; }
    const IBox& Box() const { return box; }
    IControl* Control() const { return control; }
    IParamRecord* Param() const { return param; }
    const std::string& Text() const { return text; }
    int CurrentState() const { return state; }
    void SetState(int newState) { state = newState; }

    // A key typed while the entry is open: `keysym` is the X key symbol,
    // `typed` the Latin-1 text the key produces (may be empty).
    void TypeKey(unsigned long keysym, const char* typed, int typedLength);
    // Repaints the whole box (after an Expose or an edit).
    void Redraw();

private:
    void InsertText(const std::string& utf8);
    void DeleteSelectionOrChar(bool forward);
    // Byte offset of the code point before/after `offset` in `text`.
    size_t PreviousCharStart(size_t offset) const;
    size_t NextCharStart(size_t offset) const;

    _XDisplay* display;
    unsigned long window = 0;
    _XGC* gc = nullptr;
    void* visual;
    int depth;
    IGraphics& graphics;
    IBox box; // in editor pixels
    IControl* control;
    IParamRecord* param;
    std::string text; // UTF-8
    size_t caret;     // byte offset in `text`
    bool allSelected = true;
    int state = kFocused;
    PX_MemBitmap pixels;
};

} // namespace toneloom
