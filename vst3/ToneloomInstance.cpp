// The class the Toneloom module offers.
#include "CLS_TONELOOM.h"
#include "EffectInstance.h"

namespace toneloom {

IEffectVST3* NewEffectInstance()
{
    return new CLS_TONELOOM();
}

} // namespace toneloom
