#include "PromptPopup.h"

#include "IEffectBase.h"
#include "IGraphics.h"
#include "IParamRecord.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

namespace toneloom {

namespace {

constexpr int kCornerRadius = 4;         // pixels, list and cells
constexpr int kThumbRadius = 3;          // pixels
constexpr int kChosenAlphaRaise = 55;    // the selected entry's text is more opaque
constexpr int kScrollEdgeAlphaDrop = 20; // the scroll column's outline is fainter
constexpr int kIdleThumbAlphaRaise = 20; // the thumb is brighter while nothing is hovered
constexpr double kSeparatorAlpha = 0.6;  // column separators, times the frame alpha
constexpr int kWheelStepPx = 3;          // thumb pixels per wheel notch
constexpr int kRowPadding = 6;           // row height is the text size plus this
constexpr int kSmallestCharWidth = 5;    // pixels, per character when sizing columns
constexpr int kCharWidthBelowSize = 8;   // a character is about the text size minus this wide
constexpr int kColumnSlack = 20;         // pixels added to the widest entry

int CeilDiv(int count, int by)
{
    return by > 0 ? (count + by - 1) / by : 0;
}

int ClampAlpha(int alpha)
{
    return std::clamp(alpha, 0, 255);
}

} // namespace

bool PromptPopup::OpenFor(IGraphics& graphics, IControl& owner)
{
    IEffectBase* plugin = owner.Plug();
    const int paramIndex = owner.ParamIndex();
    IParamRecord* param =
        plugin != nullptr && paramIndex >= 0 ? plugin->ParamAt(paramIndex) : nullptr;
    if (param == nullptr || param->ValueTextCount() <= 0) {
        return false;
    }

    const IBox& ownerBox = owner.Box();
    auto* popup = new PromptPopup(graphics, ownerBox.left, ownerBox.top, kOpenWidth, 1);
    graphics.AddControl(popup);
    graphics.SetOpenPopup(popup);
    popup->SetHidden(true);
    const int count = param->ValueTextCount();
    for (int v = 0; v < count; ++v) {
        popup->AddItem(param->ValueTextFor(v));
    }

    // Centred over the owner, but never closer than kEdgeMargin to an edge.
    const IBox& popupBox = popup->Box();
    const int width = popupBox.Width();
    const int height = popupBox.Height();
    int dx = static_cast<int>((ownerBox.Width() - width) * 0.5);
    int dy = static_cast<int>((ownerBox.Height() - height) * 0.5);
    if (popupBox.left + dx < kEdgeMargin) {
        dx = kEdgeMargin - popupBox.left;
    } else if (popupBox.left + dx + width > graphics.Width() - kEdgeMargin) {
        dx = graphics.Width() - popupBox.left - width - kEdgeMargin;
    }
    if (popupBox.top + dy < kEdgeMargin) {
        dy = kEdgeMargin - popupBox.top;
    } else if (popupBox.top + dy + height > graphics.Height() - kEdgeMargin) {
        dy = graphics.Height() - popupBox.top - height - kEdgeMargin;
    }
    popup->MoveBy(dx, dy);

    double current = 0.0;
    {
        std::lock_guard<std::recursive_mutex> lock(plugin->Mutex());
        current = param->Value();
    }
    int index = -1;
    if (std::isfinite(current) && current > -0.5 && current < count - 0.5) {
        index = static_cast<int>(std::lround(current));
    }
    popup->ShowFor(&owner, index);
    return true;
}

PromptPopup::PromptPopup(IGraphics& editor, int x, int y, int width, int columnCount,
                         const ITextStyle* style, const IRgba* fill, const IRgba* frame)
    : IControl(editor.Plug(), IBox{x, y, x + std::max(width, kMinimumWidth), y + kInitialHeight}),
      columnWidth(width), columns(std::max(columnCount, 1)),
      normalStyle(style != nullptr ? *style : editor.PopupStyle().text),
      fillColour(fill != nullptr ? *fill : editor.PopupStyle().first),
      frameColour(frame != nullptr ? *frame : editor.PopupStyle().second)
{
    rowHeight = normalStyle.size + kRowPadding;
    visibleItems = columns * visibleRows;
    chosenStyle = normalStyle;
    chosenStyle.colour.alpha = std::min(chosenStyle.colour.alpha + kChosenAlphaRaise, 255);
}

PromptPopup::~PromptPopup() = default;

const char* PromptPopup::ItemText(int index) const
{
    return index >= 0 && index < ItemCount() ? items[static_cast<size_t>(index)].text : "";
}

void PromptPopup::AddItem(const char* text)
{
    Item item{};
    CopyFixedText(item.text, sizeof item.text, text != nullptr ? text : "");
    items.push_back(item);
    const int count = ItemCount();

    const int length = static_cast<int>(std::strlen(item.text));
    const int charWidth = std::max(normalStyle.size - kCharWidthBelowSize, kSmallestCharWidth);
    columnWidth = std::max(columnWidth, length * charWidth + 2 * margin + kColumnSlack);

    if (rowsGrow && count % kItemsPerExtraRow == 0 && count / kItemsPerExtraRow <= kMostExtraRows) {
        ++visibleRows;
    }
    visibleItems = columns * visibleRows;

    int sideRoom = margin;
    if (visibleItems < count) {
        scrollBar = true;
        listHeight = rowHeight * visibleRows;
        const double longThumb = rowHeight * 1.5;
        if (4 * visibleRows < count) {
            thumbHeight = static_cast<int>(longThumb);
        } else {
            // Shrinks from nearly the whole list towards longThumb as entries grow.
            thumbHeight = static_cast<int>((longThumb - listHeight) * (count - visibleRows) /
                                               (3.0 * visibleRows) +
                                           listHeight);
        }
        sideRoom = margin + scrollBarWidth + 2;
    } else {
        scrollBar = false;
        thumbHeight = 0;
        listHeight = CeilDiv(count, columns) * rowHeight;
    }
    SetThumbPosition(thumbPosition);

    box.right = box.left + columnWidth * columns + sideRoom;
    box.bottom = box.top + listHeight;
    targetBox = box;
}

void PromptPopup::ShowFor(IControl* ownerControl, int index)
{
    selected = index;
    ScrollToSelection();
    SetOwner(ownerControl);
    SetHidden(false);
}

int PromptPopup::FirstVisible() const
{
    const int rows = CeilDiv(ItemCount(), columns);
    const int travel = ThumbTravel();
    if (!scrollBar || travel <= 0 || rows <= visibleRows) {
        return 0;
    }
    const long firstRow = std::lround(static_cast<double>(rows - visibleRows) * thumbPosition /
                                      static_cast<double>(travel));
    return columns * static_cast<int>(std::clamp<long>(firstRow, 0, rows - visibleRows));
}

void PromptPopup::SetThumbPosition(int position)
{
    position = std::min(position, ThumbTravel());
    thumbPosition = scrollBar && position >= 1 ? position : 0;
}

void PromptPopup::ScrollToSelection()
{
    const int rows = CeilDiv(ItemCount(), columns);
    const int range = rows - visibleRows;
    if (!scrollBar || range <= 0) {
        SetThumbPosition(0);
        return;
    }
    // The selected row as near the middle of the page as the list allows.
    const int selectedRow = selected >= 0 ? selected / columns : -1;
    const int firstRow = std::clamp(selectedRow + 1 - CeilDiv(visibleRows, 2), 0, range);
    SetThumbPosition(static_cast<int>(
        std::lround(static_cast<double>(ThumbTravel()) * firstRow / static_cast<double>(range))));
}

int PromptPopup::PositionAt(int x, int y) const
{
    if ((scrollBar && x >= ScrollColumnLeft()) || y < box.top || rowHeight <= 0) {
        return kNothingHovered;
    }
    const int row = (y - box.top) / rowHeight;
    int column = 0;
    if (columns > 1 && columnWidth > 0) {
        const double across = std::floor((x - box.left - std::lround(margin * 0.5)) /
                                         static_cast<double>(columnWidth));
        column = static_cast<int>(std::clamp(across, 0.0, columns - 1.0));
    }
    const int position = std::min(visibleItems, row * columns) + column;
    // Only cells of the page that hold an entry (the bottom edge is part of
    // the box but belongs to no row).
    if (position >= visibleItems || FirstVisible() + position >= ItemCount()) {
        return kNothingHovered;
    }
    return position;
}

IBox PromptPopup::CellBox(int position) const
{
    const int column = position % columns;
    const int row = position / columns;
    return IBox{box.left + columnWidth * column + margin, box.top + row * rowHeight + 1,
                box.left + columnWidth * (column + 1), box.top + rowHeight * (row + 1) - 1};
}

void PromptPopup::HandlePress(int x, int y, const IMouseKeys& keys)
{
    if (scrollBar && !keys.right && x >= ScrollColumnLeft()) {
        dragging = true;
        const int thumbTop = box.top + thumbPosition + 1;
        const bool onThumb = y >= thumbTop && y < thumbTop + thumbHeight;
        if (!onThumb) {
            // Jump so that the thumb centres on the pointer.
            SetThumbPosition(y - box.top - static_cast<int>(std::lround(thumbHeight * 0.5)));
        }
        MarkDirty(true);
        return;
    }

    // The press point decides, so a press without a hover before it (the list
    // opened under a still pointer, a pen) still picks the entry under it.
    hovered = PositionAt(x, y);
    if (keys.right || hovered < 0) {
        return;
    }
    const int index = FirstVisible() + hovered;
    selected = index;

    IControl* target = owner;
    IGraphics* editor = graphics;
    if (target != nullptr) {
        const int paramIndex = target->ParamIndex();
        IParamRecord* param =
            plug != nullptr && paramIndex >= 0 ? plug->ParamAt(paramIndex) : nullptr;
        if (param != nullptr) {
            plug->NotifyEditBegin(paramIndex);
            target->ShowUserValue(param->NormalisedOf(index));
            plug->NotifyEditEnd(paramIndex);
        }
        target->PopupClosed(ItemText(index), index);
    }
    if (editor != nullptr) {
        editor->ReleaseMouse();
        editor->ForgetHover();
        editor->ClosePopup(true); // deletes this pop-up: nothing may follow
    }
}

void PromptPopup::HandleRelease(int, int, const IMouseKeys&)
{
    if (scrollBar) {
        dragging = false;
    }
    MarkDirty(true);
}

void PromptPopup::HandleDrag(int, int, int, int dy, const IMouseKeys&)
{
    if (dragging) {
        SetThumbPosition(thumbPosition + dy);
    }
    MarkDirty(true);
}

void PromptPopup::HandleWheel(int, int, const IMouseKeys&, int steps)
{
    if (scrollBar) {
        SetThumbPosition(thumbPosition - kWheelStepPx * steps);
    }
    MarkDirty(true);
}

void PromptPopup::HandleHover(int x, int y, const IMouseKeys&)
{
    const int position = PositionAt(x, y);
    if (position != hovered) {
        hovered = position;
        MarkDirty(true);
    }
}

void PromptPopup::HandleHoverEnd()
{
    hovered = kNoHover;
    MarkDirty(true);
}

bool PromptPopup::Render(IGraphics& g)
{
    const int first = FirstVisible();
    const int last = std::min(ItemCount(), first + visibleItems); // one past the page
    g.FillRoundBox(fillColour, box, kCornerRadius, kCornersAll, nullptr, true);

    IRgba separator = frameColour;
    separator.alpha = static_cast<int>(kSeparatorAlpha * separator.alpha);
    for (int i = 1; i < columns; ++i) {
        const float x = static_cast<float>(box.left + i * columnWidth + (margin * 0.5 - 0.5));
        g.StrokeLine(separator, x, static_cast<float>(box.top + margin), x,
                     static_cast<float>(box.bottom - margin));
    }

    if (selected >= first && selected < last) {
        const IBox cell = CellBox(selected - first);
        g.StrokeRoundBox(frameColour, cell, kCornerRadius, nullptr, true);
        g.FillRoundBox(frameColour, cell, kCornerRadius, kCornersAll, nullptr, true);
    }
    if (hovered >= 0 && first + hovered < last && first + hovered != selected) {
        g.FillRoundBox(frameColour, CellBox(hovered), kCornerRadius, kCornersAll, nullptr, true);
    }

    for (int i = first; i < last; ++i) {
        const int row = (i - first) / columns;
        const int column = (i - first) % columns;
        const IBox textBox{box.left + column * columnWidth + 2 * margin,
                           box.top + row * rowHeight + static_cast<int>(std::lround(margin * 0.75)),
                           box.left + (column + 1) * columnWidth, box.top + rowHeight * (row + 1)};
        g.DrawTextIn(i == selected ? chosenStyle : normalStyle, ItemText(i), textBox);
    }

    if (scrollBar) {
        const int columnLeft = ScrollColumnLeft();
        const int columnRight = box.right - 1;
        IRgba outline = frameColour;
        outline.alpha = ClampAlpha(outline.alpha - kScrollEdgeAlphaDrop);
        g.StrokeRoundBox(outline, IBox{columnLeft - 1, box.top, columnRight + 1, box.bottom},
                         kCornerRadius, nullptr, true);
        IRgba thumb = frameColour;
        if (hovered < 0 && !dragging) {
            thumb.alpha = ClampAlpha(thumb.alpha + kIdleThumbAlphaRaise);
        }
        const int thumbTop = box.top + thumbPosition + 1;
        g.FillRoundBox(thumb, IBox{columnLeft, thumbTop, columnRight, thumbTop + thumbHeight},
                       kThumbRadius, kCornersAll, nullptr, true);
    }
    return true;
}

} // namespace toneloom
