// The one effect class a module offers, constructed by the product's own
// file (the Toneloom module) or by a test module.
#pragma once

namespace toneloom {

class IEffectVST3;

// [any thread, creation lock held] A new instance with one reference; may
// throw std::bad_alloc, which the caller turns into a null result.
IEffectVST3* NewEffectInstance();

} // namespace toneloom
