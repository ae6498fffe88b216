#include "IDropDown.h"

#include "IDropDownChild.h"
#include "IEffectBase.h"
#include "IGraphics.h"

#include <algorithm>
#include <cmath>

namespace toneloom {

namespace {

IBox ClosedBox(int x, int y, const IImage& closedImage)
{
    const int frames = closedImage.frames > 0 ? closedImage.frames : 1;
    const int frameHeight = static_cast<int>(
        std::lround(static_cast<float>(closedImage.height) / static_cast<float>(frames)));
    return IBox{x, y - 1, x + closedImage.width, y + frameHeight + 1};
}

} // namespace

IDropDown::IDropDown(IEffectBase* plugin, int parameter, int x, int y, const IImage& closed,
                     const IImage& list, int columnCount, int listPlacement)
    : IControl(plugin, ClosedBox(x, y, closed), parameter), closedImage(closed), listImage(list),
      columns(columnCount), placement(listPlacement)
{
}

void IDropDown::HandlePress(int, int, const IMouseKeys& keys)
{
    if (keys.right) {
        if (!promptDisabled && childCreated) {
            child->SetHidden(true);
            open = false;
        }
    } else if (open) {
        if (childCreated) {
            child->SetHidden(true);
        }
        open = false;
    } else {
        open = true;
        // The list opens on the value shown now; only a later change closes it.
        lastDrawnValue = Value();
        if (childCreated) {
            child->SetHidden(false);
        } else if (graphics != nullptr) {
            const int listWidth = listImage.width;
            const int listHeight = listImage.height;
            int x = box.left;
            int y = box.bottom - 1;
            switch (placement) {
            case kBelowLeft:
                break;
            case kBelowRight:
                x = box.right - listWidth;
                break;
            case kAboveLeft:
                y = box.top - listHeight + 1;
                break;
            case kAboveRight:
                x = box.right - listWidth;
                y = box.top - listHeight + 1;
                break;
            default:
                x = box.left + static_cast<int>(std::lround((closedImage.width - listWidth) * 0.5));
                break;
            }
            child = new IDropDownChild(plug, this, x, y, listImage, columns);
            graphics->AddControl(child);
            childCreated = true;
        }
    }
    MarkDirty(true);
}

void IDropDown::HandleWheel(int, int, const IMouseKeys&, int) {}

void IDropDown::ChooseFromList(double normalised)
{
    const bool hasParam = plug != nullptr && paramIndex >= 0;
    if (hasParam) {
        plug->NotifyEditBegin(paramIndex);
    }
    StoreValue(normalised);
    open = false; // the child hides itself
    MarkDirty(true);
    if (hasParam) {
        plug->NotifyEditEnd(paramIndex);
    }
}

int IDropDown::FrameForValue() const
{
    const int frames = std::max(closedImage.frames, 1);
    const int frame = static_cast<int>(std::lround((frames - 1) * Value())) + 1;
    return std::clamp(frame, 1, frames);
}

bool IDropDown::Render(IGraphics& graphics)
{
    // One reading of the value for the whole drawing: the plug-in side may
    // store another meanwhile, which marks the control again.
    const double shown = Value();
    if (childCreated && shown != lastDrawnValue) {
        // A choice in the list or a value from the host: the list closes.
        redrawAgain.store(true, std::memory_order_relaxed);
        MarkDirty(false);
        if (open) {
            child->SetHidden(true);
            open = false;
        }
    }
    lastDrawnValue = shown;

    const int frames = std::max(closedImage.frames, 1);
    const IBox dest{box.left, box.top + 1, box.left + closedImage.width,
                    box.top + static_cast<int>(std::lround(static_cast<float>(closedImage.height) /
                                                           static_cast<float>(frames)))};
    return graphics.BlitImageFrame(closedImage, dest, FrameForValue(), &blend, true);
}

} // namespace toneloom
