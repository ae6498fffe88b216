// An invisible link area over the title plate: a press opens the vendor's
// product page in the browser, or the fallback address when that fails.
//
// Threads: [UI thread].
#pragma once

#include "IControl.h"

namespace toneloom {

class IURLControl : public IControl
{
public:
    static constexpr int kAddressSize = 256; // bytes, terminator included
    static constexpr int kMessageSize = 1024;

    // No parameter. Null or empty texts stay empty; longer ones are cut.
    IURLControl(IEffectBase* plug, const IBox& box, const char* address,
                const char* fallbackAddress, const char* message);

    void HandlePress(int x, int y, const IMouseKeys& keys) override;
    // Draws nothing.
    bool Render(IGraphics& graphics) override;

    const char* Address() const { return address; }
    const char* FallbackAddress() const { return fallbackAddress; }

private:
    char address[kAddressSize] = {};
    char fallbackAddress[kAddressSize] = {};
    char message[kMessageSize] = {};
};

} // namespace toneloom
