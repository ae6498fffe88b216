#include "IGraphicsTypes.h"

#include <algorithm>
#include <cstring>

namespace toneloom {

IBox IBox::Union(const IBox& other) const
{
    if (IsEmpty()) {
        return other;
    }
    if (other.IsEmpty()) {
        return *this;
    }
    return IBox{std::min(left, other.left), std::min(top, other.top), std::max(right, other.right),
                std::max(bottom, other.bottom)};
}

IBox IBox::Intersect(const IBox& other) const
{
    if (!Overlaps(other)) {
        return IBox{};
    }
    return IBox{std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
                std::min(bottom, other.bottom)};
}

ITextStyle::ITextStyle(const char* faceName, int32_t sizePx, const IRgba& textColour,
                       int32_t styleBits, int32_t alignment, int32_t orientationDegrees,
                       int32_t textQuality)
    : size(sizePx), colour(textColour), style(styleBits), align(alignment),
      orientation(orientationDegrees), quality(textQuality)
{
    if (faceName != nullptr) {
        std::strncpy(face, faceName, kFaceNameSize - 1);
        face[kFaceNameSize - 1] = '\0';
    }
}

} // namespace toneloom
