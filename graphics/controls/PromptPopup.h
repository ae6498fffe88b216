// The pop-up list of a list parameter's value texts. A right press on a
// control bound to an enum or bool parameter with value texts opens it
// (OpenFor); a left press on an entry sets the parameter through the opening
// control and closes the list; a press anywhere else dismisses it (the editor
// closes it). Long lists show a page of rows and a scroll bar that follows
// drags and the wheel.
//
// Threads: [UI thread] only.
#pragma once

#include "IControl.h"

#include <vector>

namespace toneloom {

class PromptPopup : public IControl
{
public:
    static constexpr int kItemTextSize = 32;  // 31 characters and a terminator
    static constexpr int kOpenWidth = 70;     // pixels, the width a value list starts with
    static constexpr int kEdgeMargin = 6;     // pixels kept free at the editor's edges
    static constexpr int kMinimumWidth = 10;  // pixels
    static constexpr int kInitialHeight = 30; // pixels, before any item is added
    static constexpr int kMargin = 4;         // pixels inside each cell
    static constexpr int kScrollBarWidth = 9; // pixels
    static constexpr int kFirstVisibleRows = 5;

    // Opens the value list of `owner`'s parameter, centred over `owner` and
    // kept kEdgeMargin pixels inside the editor, with the current value
    // selected and scrolled into view; it becomes the editor's open pop-up.
    // False (nothing opened) when the owner's parameter is missing or has no
    // value texts.
    static bool OpenFor(IGraphics& graphics, IControl& owner);

    // At (x, y), max(width, kMinimumWidth) wide and kInitialHeight high until
    // items are added. Without a style or colours the editor's pop-up style
    // gives them. The pop-up has no parameter; it reaches the editor through
    // `graphics` before it is added.
    PromptPopup(IGraphics& graphics, int x, int y, int width, int columns,
                const ITextStyle* style = nullptr, const IRgba* fill = nullptr,
                const IRgba* frame = nullptr);
    ~PromptPopup() override;

    void HandlePress(int x, int y, const IMouseKeys& keys) override;
    void HandleRelease(int x, int y, const IMouseKeys& keys) override;
    void HandleDrag(int x, int y, int dx, int dy, const IMouseKeys& keys) override;
    void HandleWheel(int x, int y, const IMouseKeys& keys, int steps) override;
    void HandleHover(int x, int y, const IMouseKeys& keys) override;
    void HandleHoverEnd() override;
    bool Render(IGraphics& graphics) override;

    // Appends an entry (cut to 31 characters) and grows the box to fit.
    void AddItem(const char* text);
    // Selects entry `index` (-1 for none), scrolls it into view, records the
    // control whose value the list sets, and shows the pop-up.
    void ShowFor(IControl* ownerControl, int index);

    int ItemCount() const { return static_cast<int>(items.size()); }
    // "" for an index out of range.
    const char* ItemText(int index) const;
    int Selected() const { return selected; }
    // Index of the entry in the top left cell.
    int FirstVisible() const;
    int VisibleRows() const { return visibleRows; }
    int VisibleItems() const { return visibleItems; }
    int RowHeight() const { return rowHeight; }
    int ColumnWidth() const { return columnWidth; }
    bool HasScrollBar() const { return scrollBar; }
    int ThumbPosition() const { return thumbPosition; }
    int ThumbHeight() const { return thumbHeight; }
    // Visible cell under the pointer; -1 or -2 for none.
    int HoveredPosition() const { return hovered; }
    const IRgba& FillColour() const { return fillColour; }
    const IRgba& FrameColour() const { return frameColour; }

private:
    struct Item
    {
        char text[kItemTextSize];
    };

    static constexpr int kNoHover = -2;        // the pointer is not over the pop-up
    static constexpr int kNothingHovered = -1; // over it, but over no entry
    static constexpr int kItemsPerExtraRow = 10;
    static constexpr int kMostExtraRows = 4;

    // Highest thumb position, in pixels from the top of the list.
    int ThumbTravel() const { return listHeight - thumbHeight - 2; }
    void SetThumbPosition(int position);
    void ScrollToSelection();
    // Left edge of the scroll column (its right edge is box.right - 1).
    int ScrollColumnLeft() const { return box.right - kScrollBarWidth - 2; }
    // The visible cell under (x, y): a position among the visible entries, or
    // kNothingHovered.
    int PositionAt(int x, int y) const;
    IBox CellBox(int position) const;

    int columnWidth; // pixels
    int columns;
    int margin = kMargin; // pixels
    int rowHeight;        // pixels: text size + 6
    int scrollBarWidth = kScrollBarWidth;
    int visibleRows = kFirstVisibleRows;
    int visibleItems;
    int listHeight = 0; // pixels
    std::vector<Item> items;
    int selected = -1;
    int hovered = kNoHover;
    int thumbPosition = 0; // pixels below the list's top
    int thumbHeight = 0;   // pixels
    bool scrollBar = false;
    bool dragging = false;
    ITextStyle normalStyle;
    ITextStyle chosenStyle; // the selected entry: the normal style, alpha raised by 55
    IRgba fillColour;
    IRgba frameColour;
    bool rowsGrow = true; // a row is added per 10 entries, up to 4
};

} // namespace toneloom
