#include "IDropDownChild.h"

#include "IDropDown.h"
#include "IGraphics.h"

#include <algorithm>
#include <cmath>

namespace toneloom {

IDropDownChild::IDropDownChild(IEffectBase* plugin, IDropDown* owner, int x, int y,
                               const IImage& list, int columnCount)
    : IControl(plugin, IBox{x, y, x + list.width, y + list.height}), dropDown(owner),
      listImage(list), columns(std::max(columnCount, 1))
{
    SetOwner(owner);
}

int IDropDownChild::EntryAt(int x, int y) const
{
    const int entries = listImage.frames;
    const int listWidth = listImage.width;
    if (entries <= 0 || listWidth <= 0) {
        return -1;
    }
    const int column = std::clamp(
        static_cast<int>(std::floor((x - box.left) * static_cast<double>(columns) / listWidth)), 0,
        columns - 1);
    const int rows = (entries + columns - 1) / columns;
    // Row i ends at (i + 1) x height / rows; compared in whole numbers, so that
    // the list's bottom edge lies below the last row whatever the rounding.
    for (int i = 0; i < entries; ++i) {
        if (static_cast<long long>(i + 1) * listImage.height >
            static_cast<long long>(y - box.top) * rows) {
            const int entry = column * rows + i;
            // The last column may be short: its empty cells choose nothing.
            return entry < entries ? entry : -1;
        }
    }
    return -1;
}

void IDropDownChild::HandlePress(int x, int y, const IMouseKeys& keys)
{
    if (!keys.right) {
        const int entry = EntryAt(x, y);
        if (entry >= 0) {
            const int entries = listImage.frames;
            float chosen =
                entries > 1 ? static_cast<float>(entry) / static_cast<float>(entries - 1) : 0.0f;
            if (chosen > 1.0f) {
                chosen = 0.0f;
            }
            if (dropDown != nullptr) {
                dropDown->ChooseFromList(static_cast<double>(chosen));
            }
            MarkDirty(true);
            SetHidden(true);
        }
    }
    MarkDirty(true);
}

bool IDropDownChild::Render(IGraphics& graphics)
{
    return graphics.BlitImage(listImage, box, 0, 0, &blend);
}

} // namespace toneloom
