#include "IControl.h"

#include "IEffectBase.h"
#include "IGraphics.h"
#include "IParamRecord.h"
#include "controls/PromptPopup.h"

#include <algorithm>

namespace toneloom {

namespace {

constexpr float kFineWheelFactor = 0.1f; // Ctrl or Shift: a tenth of a step
constexpr float kDimmedWeight = 0.25f;

} // namespace

IControl::IControl(IEffectBase* plugin, const IBox& controlBox, int parameter)
    : plug(plugin), box(controlBox), targetBox(controlBox), paramIndex(parameter)
{
}

IControl::~IControl() = default;

void IControl::HandlePress(int, int, const IMouseKeys& keys)
{
    if (!keys.right) {
        if (graphics != nullptr) {
            graphics->SetOpenPopup(nullptr);
        }
        return;
    }
    if (paramIndex < 0 || promptDisabled || graphics == nullptr) {
        return;
    }
    if (graphics->OpenPopup() != nullptr) {
        graphics->SetOpenPopup(nullptr);
        return;
    }
    IParamRecord* param = plug != nullptr ? plug->ParamAt(paramIndex) : nullptr;
    if (param == nullptr) {
        return;
    }
    const bool isList = param->Kind() == kKindEnum || param->Kind() == kKindBool;
    if (isList && param->ValueTextCount() > 0) {
        PromptPopup::OpenFor(*graphics, *this);
        return;
    }
    OpenValuePrompt();
}

void IControl::HandleRelease(int, int, const IMouseKeys&) {}

void IControl::HandleFileDrop(int, int, const char*) {}

void IControl::HandleDrag(int, int, int, int, const IMouseKeys&) {}

void IControl::HandleDoubleClick(int, int, const IMouseKeys&)
{
    if (defaultValue >= 0.0) {
        value = defaultValue;
        MarkDirty(true);
    }
}

void IControl::HandleWheel(int, int, const IMouseKeys& keys, int steps)
{
    if (paramIndex < 0) {
        return;
    }
    IParamRecord* param = plug != nullptr ? plug->ParamAt(paramIndex) : nullptr;
    if (param == nullptr) {
        return;
    }
    float step = static_cast<float>(param->WheelStep());
    if (keys.ctrl || keys.shift) {
        step *= kFineWheelFactor;
    }
    value += static_cast<double>(step * static_cast<float>(steps));
    MarkDirty(true);
}

void IControl::HandleKey(int, int, int) {}

void IControl::HandleHover(int, int, const IMouseKeys&) {}

void IControl::HandleHoverEnd() {}

void IControl::ShowHostValue(double normalised)
{
    if (defaultValue < 0.0) {
        defaultValue = normalised;
    } else if (normalised == value) {
        return;
    }
    value = normalised;
    MarkDirty(false);
    redrawAgain = true;
}

void IControl::ShowUserValue(double normalised)
{
    value = normalised;
    MarkDirty(true);
    redrawAgain = true;
}

void IControl::PopupClosed(const char*, int) {}

void IControl::SetHidden(bool hide)
{
    hidden = hide;
    redrawAgain = true;
    MarkDirty(false);
}

void IControl::SetDimmed(bool dim)
{
    dimmed = dim;
    blend.weight = dim ? kDimmedWeight : 1.0f;
    MarkDirty(false);
}

bool IControl::HitTest(int x, int y)
{
    return x >= targetBox.left && x <= targetBox.right && y >= targetBox.top &&
           y <= targetBox.bottom;
}

void IControl::MarkDirty(bool push)
{
    // Written so that NaN ends at the low end rather than passing through.
    value = value > clampLow ? std::min(value, clampHigh) : clampLow;
    dirty = true;
    if (push && plug != nullptr && paramIndex >= 0) {
        plug->SetParamFromEditor(paramIndex, value);
    }
}

void IControl::MarkClean()
{
    dirty = redrawAgain;
    redrawAgain = false;
}

bool IControl::NeedsRedraw()
{
    return dirty;
}

void IControl::Spare() {}

void IControl::OpenValuePrompt()
{
    if (paramIndex < 0 || promptDisabled || graphics == nullptr || plug == nullptr) {
        return;
    }
    IParamRecord* param = plug->ParamAt(paramIndex);
    if (param == nullptr) {
        return;
    }
    graphics->PromptParamValue(this, param, true);
    redrawAgain = true;
}

void IControl::EndValuePrompt()
{
    // The value is sent once more, as a gesture of its own so the host never
    // sees a change outside a begin and end.
    const bool notify = plug != nullptr && paramIndex >= 0;
    if (notify) {
        plug->NotifyEditBegin(paramIndex);
    }
    MarkDirty(true);
    if (notify) {
        plug->NotifyEditEnd(paramIndex);
    }
    redrawAgain = true;
}

void IControl::MoveBy(int dx, int dy)
{
    box.left += dx;
    box.right += dx;
    box.top += dy;
    box.bottom += dy;
    targetBox.left += dx;
    targetBox.right += dx;
    targetBox.top += dy;
    targetBox.bottom += dy;
}

void IControl::SetClamp(double low, double high)
{
    clampLow = low;
    clampHigh = high;
}

} // namespace toneloom
