#include "IURLControl.h"

#include "IGraphics.h"
#include "IParamRecord.h"

namespace toneloom {

IURLControl::IURLControl(IEffectBase* plugin, const IBox& controlBox, const char* url,
                         const char* fallbackUrl, const char* messageText)
    : IControl(plugin, controlBox)
{
    if (url != nullptr) {
        CopyFixedText(address, sizeof address, url);
    }
    if (fallbackUrl != nullptr) {
        CopyFixedText(fallbackAddress, sizeof fallbackAddress, fallbackUrl);
    }
    if (messageText != nullptr) {
        CopyFixedText(message, sizeof message, messageText);
    }
}

void IURLControl::HandlePress(int, int, const IMouseKeys&)
{
    if (graphics == nullptr) {
        return;
    }
    if (address[0] != '\0' && graphics->OpenUrl(address, message, nullptr, nullptr)) {
        return;
    }
    if (fallbackAddress[0] != '\0') {
        graphics->OpenUrl(fallbackAddress, message, nullptr, nullptr);
    }
}

bool IURLControl::Render(IGraphics&)
{
    return true;
}

} // namespace toneloom
