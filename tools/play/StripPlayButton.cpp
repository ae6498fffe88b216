#include "StripPlayButton.h"

namespace toneloom {

StripPlayButton::StripPlayButton(IEffectBase* plug, int x, int y, int paramIndex,
                                 const IImage& image)
    : IBitmapControl(plug, x, y, paramIndex, image)
{
    SetDoubleClickAsPress(true);
    SetPromptDisabled(true);
}

void StripPlayButton::HandlePress(int, int, const IMouseKeys& keys)
{
    if (keys.right) {
        return;
    }
    StoreValue(Value() > 0.5 ? 0.0 : 1.0);
    MarkDirty(true);
}

void StripPlayButton::HandleWheel(int, int, const IMouseKeys&, int) {}

} // namespace toneloom
