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
    const double fallback = DefaultValue();
    if (fallback >= 0.0) {
        StoreValue(fallback);
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
    StoreValue(Value() + static_cast<double>(step * static_cast<float>(steps)));
    MarkDirty(true);
}

void IControl::HandleKey(int, int, int) {}

void IControl::HandleHover(int, int, const IMouseKeys&) {}

void IControl::HandleHoverEnd() {}

void IControl::ShowHostValue(double normalised)
{
    if (DefaultValue() < 0.0) {
        defaultValue.store(normalised, std::memory_order_relaxed);
    } else if (normalised == Value()) {
        return;
    }
    StoreValue(normalised);
    MarkDirty(false);
    redrawAgain.store(true, std::memory_order_release); // last: see the handoff in the header
}

void IControl::ShowUserValue(double normalised)
{
    StoreValue(normalised);
    MarkDirty(true);
    redrawAgain.store(true, std::memory_order_release);
}

void IControl::PopupClosed(const char*, int) {}

void IControl::SetHidden(bool hide)
{
    hidden.store(hide, std::memory_order_relaxed);
    MarkDirty(false);
    redrawAgain.store(true, std::memory_order_release);
}

void IControl::SetDimmed(bool dim)
{
    dimmed.store(dim, std::memory_order_relaxed);
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
    // Stored only when limiting changed it, so that marking from one thread
    // never puts back a value the other thread has just replaced.
    const double current = Value();
    const double limited = current > clampLow ? std::min(current, clampHigh) : clampLow;
    if (!(limited == current)) {
        StoreValue(limited);
    }
    dirty.store(true, std::memory_order_relaxed);
    if (push && plug != nullptr && paramIndex >= 0) {
        plug->SetParamFromEditor(paramIndex, limited);
    }
}

void IControl::MarkClean()
{
    dirty.store(redrawAgain.exchange(false, std::memory_order_acquire), std::memory_order_relaxed);
}

bool IControl::NeedsRedraw()
{
    // Acquire: a pass that sees a mark the plug-in side made also sees what
    // it stored before (see the handoff in the header).
    return redrawAgain.load(std::memory_order_acquire) || dirty.load(std::memory_order_relaxed);
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
    redrawAgain.store(true, std::memory_order_relaxed);
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
    redrawAgain.store(true, std::memory_order_relaxed);
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
