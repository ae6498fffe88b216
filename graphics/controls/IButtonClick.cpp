#include "IButtonClick.h"

namespace toneloom {

IButtonClick::IButtonClick(IEffectBase* plugin, int parameter, int x, int y, const IImage& picture,
                           float weightWhileHovered)
    : IButton(plugin, parameter, x, y, picture, weightWhileHovered)
{
}

void IButtonClick::HandlePress(int, int, const IMouseKeys& keys)
{
    if (!keys.right) {
        StoreValue(Value() <= kOnThreshold ? 1.0 : 0.0);
    }
    if (clickFlag != nullptr) {
        clickFlag->store(true, std::memory_order_relaxed);
    }
    MarkDirty(true);
}

} // namespace toneloom
