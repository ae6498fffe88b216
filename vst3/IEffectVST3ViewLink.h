// What the adapter asks of an open editor view. The editor view registers
// itself with IEffectVST3::AddView while the host has it open and removes
// itself before it goes away.
#pragma once

#include "pluginterfaces/gui/iplugview.h"

namespace toneloom {

class IEffectVST3ViewLink
{
public:
    virtual ~IEffectVST3ViewLink() = default;

    // [UI thread] The view as the host knows it.
    virtual Steinberg::IPlugView* PlugView() = 0;
    // [UI thread] The host's frame around the view; null until the host set one.
    virtual Steinberg::IPlugFrame* HostFrame() = 0;
    // [UI thread] The next size change comes from our own resize request.
    virtual void ExpectResize() = 0;
};

} // namespace toneloom
