#include "IEffectParameter.h"

#include "HostText.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace toneloom {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

constexpr int kDisplayTextSize = 64; // a formatted value: sign, digits, point, 6 decimals

} // namespace

IEffectParameter::IEffectParameter(IParamRecord* newRecord, int index, UnitID unitId)
    : record(newRecord)
{
    info.id = static_cast<ParamID>(index);
    TextToUtf16(record->Name(), info.title, kString128Units);
    info.shortTitle[0] = 0;
    TextToUtf16(record->Label(), info.units, kString128Units);
    info.stepCount =
        record->Kind() == kKindDouble ? 0 : static_cast<int32>(record->Max() - record->Min());
    // NormalisedOf limits the default into the range first, so a default
    // outside it cannot give a value the host would reject.
    info.defaultNormalizedValue = record->NormalisedOf(record->DefaultValue());
    valueNormalized = info.defaultNormalizedValue;
    info.unitId = unitId;
    info.flags = record->CanAutomate() ? ParameterInfo::kCanAutomate : 0;
    precision = record->Decimals();
}

void IEffectParameter::toString(ParamValue normalised, String128 string) const
{
    if (string == nullptr) {
        return;
    }
    if (!std::isfinite(normalised)) {
        string[0] = 0;
        return;
    }
    char text[kDisplayTextSize] = {};
    record->FormatValue(std::clamp(normalised, 0.0, 1.0), true, text, sizeof text);
    TextToUtf16(text, string, kString128Units);
}

bool IEffectParameter::fromString(const TChar* string, ParamValue& normalised) const
{
    char text[kDisplayTextSize * 4] = {};
    Utf16ToText(string, kString128Units, text, sizeof text);
    // A text without a number reads as 0; NormalisedOf limits the result.
    const double plain = std::strtod(text, nullptr);
    normalised = record->NormalisedOf(plain);
    return true;
}

ParamValue IEffectParameter::toPlain(ParamValue normalised) const
{
    if (!std::isfinite(normalised)) {
        return record->Min();
    }
    return record->PlainOf(std::clamp(normalised, 0.0, 1.0));
}

ParamValue IEffectParameter::toNormalized(ParamValue plain) const
{
    return record->NormalisedOf(plain);
}

} // namespace toneloom
