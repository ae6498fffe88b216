// The class the Toneloom module offers.
#include "CLS_TONELOOM.h"
#include "EffectInstance.h"
#include "ModuleEntry.h"

namespace toneloom {

IEffectVST3* NewEffectInstance()
{
    // The editor's pictures are resources of this module (on Windows).
    return new CLS_TONELOOM(ModuleHandle());
}

} // namespace toneloom
