#include "PX_NativeFont.h"

namespace toneloom {

PX_NativeFont PX_CreateNativeFont(const PX_FontSpec&)
{
    return nullptr;
}
void PX_DeleteNativeFont(PX_NativeFont) {}

} // namespace toneloom
