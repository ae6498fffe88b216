// The host's view of one product parameter: an SDK Parameter whose texts and
// conversions are those of the framework's IParamRecord it wraps. The record
// is owned by the plug-in base and outlives this object.
//
// Threads: [UI thread] (the host's controller calls); the conversions read
// only the record's declaration, which does not change after construction.
#pragma once

#include "IParamRecord.h"

#include "public.sdk/source/vst/vstparameters.h"

namespace toneloom {

class IEffectParameter : public Steinberg::Vst::Parameter
{
public:
    // `index` becomes the parameter ID; `unitId` the unit it is shown in.
    IEffectParameter(IParamRecord* record, int index, Steinberg::Vst::UnitID unitId);
    IEffectParameter(const IEffectParameter&) = delete;
    IEffectParameter& operator=(const IEffectParameter&) = delete;

    // The record's display text for a normalised value (limited to 0..1; a
    // value that is not finite gives an empty text).
    void toString(Steinberg::Vst::ParamValue valueNormalized,
                  Steinberg::Vst::String128 string) const override;
    // A typed value: one of the record's value texts in any case, or (unless
    // every value has a text) a decimal number with or without the unit
    // label, limited to the range. Blanks around it do not count. Unreadable
    // text gives false and leaves `valueNormalized` alone.
    bool fromString(const Steinberg::Vst::TChar* string,
                    Steinberg::Vst::ParamValue& valueNormalized) const override;
    Steinberg::Vst::ParamValue toPlain(Steinberg::Vst::ParamValue valueNormalized) const override;
    Steinberg::Vst::ParamValue toNormalized(Steinberg::Vst::ParamValue plainValue) const override;

    const IParamRecord* Record() const { return record; }

    OBJ_METHODS(IEffectParameter, Parameter)

private:
    // The plain value `typed` (UTF-8) stands for; false when it stands for none.
    bool PlainOfTypedText(const char* typed, double* plain) const;

    IParamRecord* record;
};

} // namespace toneloom
