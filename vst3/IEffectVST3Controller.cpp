// The edit controller: parameter values, texts and conversions for the
// host, with the two special IDs for bypass and program change.
#include "IEffectVST3.h"
#include "IEffectVST3View.h"

#include "HostCallScope.h"
#include "HostText.h"
#include "Vst3Ids.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace toneloom {

using namespace Steinberg;
using namespace Steinberg::Vst;

// Controller.

tresult PLUGIN_API IEffectVST3::getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                                      String128 string)
{
    if (id >= static_cast<ParamID>(ParamCount()) || string == nullptr) {
        return kResultFalse;
    }
    if (!std::isfinite(valueNormalized)) {
        return kInvalidArgument;
    }
    char text[kParamTextSize * 2] = {};
    ParamAt(static_cast<int>(id))
        ->FormatValue(std::clamp(valueNormalized, 0.0, 1.0), true, text, sizeof text);
    TextToUtf16(text, string, kString128Units);
    return kResultOk;
}

ParamValue PLUGIN_API IEffectVST3::plainParamToNormalized(ParamID id, ParamValue plainValue)
{
    if (id == kPresetParamId) {
        return PresetCount() > 1 ? plainValue / (PresetCount() - 1) : 0.0;
    }
    if (id < static_cast<ParamID>(ParamCount())) {
        return ParamAt(static_cast<int>(id))->NormalisedOf(plainValue);
    }
    return plainValue;
}

ParamValue PLUGIN_API IEffectVST3::getParamNormalized(ParamID id)
{
    InstanceLock lock(Mutex());
    if (id == kBypassParamId) {
        return Bypassed() ? 1.0 : 0.0;
    }
    if (id == kPresetParamId) {
        return PresetNormalised();
    }
    if (id < static_cast<ParamID>(ParamCount())) {
        return ParamAt(static_cast<int>(id))->CurrentNormalised();
    }
    return 0.0;
}

tresult PLUGIN_API IEffectVST3::setParamNormalized(ParamID id, ParamValue value)
{
    HostCallScope hostCall;
    if (!std::isfinite(value)) {
        return kInvalidArgument;
    }
    value = std::clamp(value, 0.0, 1.0);
    if (id == kPresetParamId && PresetCount() > 0) {
        return SelectProgram(PresetIndexFor(value));
    }
    InstanceLock lock(Mutex());
    if (id == kBypassParamId) {
        SetBypassed(value != 0.0);
    } else if (id < static_cast<ParamID>(ParamCount())) {
        ParamAt(static_cast<int>(id))->SetFromNormalised(value);
    } else {
        return kResultFalse;
    }
    return kResultOk;
}

tresult IEffectVST3::SelectProgram(int index)
{
    bool changed = false;
    {
        InstanceLock lock(Mutex());
        // The same program again is the host echoing the value back (or
        // restoring it with a project): the parameters stay as they are.
        if (index == CurrentPreset()) {
            return kResultOk;
        }
        KeepValuesBeforeLoad();
        LoadPreset(index);
        SetCurrentPreset(index);
        changed = MarkValuesChangedByLoad();
    }
    // The host is inside its own call (and may hold a lock that its
    // restartComponent takes again): it hears of the values afterwards.
    if (changed) {
        RestartHostComponent(kParamValuesChanged);
    }
    return kResultOk;
}

void IEffectVST3::KeepValuesBeforeLoad()
{
    for (int i = 0; i < ParamCount(); ++i) {
        paramsBeforeLoad[static_cast<size_t>(i)] = ParamAt(i)->Value();
    }
}

bool IEffectVST3::MarkValuesChangedByLoad()
{
    bool changed = false;
    for (int i = 0; i < ParamCount(); ++i) {
        const auto slot = static_cast<size_t>(i);
        if (ParamAt(i)->Value() != paramsBeforeLoad[slot]) {
            paramsToReport[slot] = 1;
            changed = true;
        }
    }
    return changed;
}

IPlugView* PLUGIN_API IEffectVST3::createView(FIDString name)
{
    // Only "editor", exactly; and no view at all for a plug-in without an
    // editor, so that the host shows its own parameter view instead.
    if (name == nullptr || std::strcmp(name, ViewType::kEditor) != 0 || Editor() == nullptr) {
        return nullptr;
    }
    return new IEffectVST3View(this); // the host owns the one reference
}

int IEffectVST3::PresetIndexFor(double normalised) const
{
    // round((count - 1) * v) by adding 0.5 and truncating: 0.5 of 150 gives 75.
    return static_cast<int>((PresetCount() - 1) * normalised + 0.5);
}

double IEffectVST3::PresetNormalised() const
{
    return PresetCount() > 1 ? static_cast<double>(CurrentPreset()) / (PresetCount() - 1) : 0.0;
}

} // namespace toneloom
