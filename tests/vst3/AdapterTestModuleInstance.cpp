// The class of the adapter test module: the factory code of the product
// module in front of AdapterTestEffect, so tests can watch the adapter's
// buffer handling through a loaded module.
#include "AdapterTestEffect.h"
#include "EffectInstance.h"

namespace toneloom {

IEffectVST3* NewEffectInstance()
{
    return new testing::AdapterTestEffect();
}

} // namespace toneloom
