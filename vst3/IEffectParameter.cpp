#include "IEffectParameter.h"

#include "HostText.h"
#include "TypedValue.h"

#include <algorithm>
#include <cmath>

namespace toneloom {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

constexpr int kDisplayTextSize = 64; // a formatted value: sign, digits, point, 6 decimals
// A typed text in UTF-8: up to 127 UTF-16 units of up to 3 bytes each.
constexpr int kTypedTextSize = kString128Units * 3;

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
    if (string == nullptr) {
        return false;
    }
    char text[kTypedTextSize] = {};
    Utf16ToText(string, kString128Units, text, sizeof text);
    double plain = 0.0;
    if (!PlainOfTypedText(text, &plain)) {
        return false;
    }
    normalised = record->NormalisedOf(plain);
    return true;
}

bool IEffectParameter::PlainOfTypedText(const char* typed, double* plain) const
{
    return ReadTypedValue(*record, typed, plain);
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
