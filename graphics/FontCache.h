// The module-wide cache of text fonts, shared by every editor of the loaded
// module. The key is size, orientation, style bits and face name; colour and
// quality are not part of it, so a style that differs from a cached one only
// in quality gets the font (and quality) of whichever style came first.
// Fonts are never evicted and are deleted when the module is unloaded.
//
// [any thread] Every lookup and insertion takes the cache's own lock; fonts
// are made outside it.
#pragma once

#include "IGraphicsTypes.h"

#include <mutex>
#include <vector>

namespace toneloom {

class PX_IFont;

class FontCache
{
public:
    // The one cache of this module.
    static FontCache& Module();

    FontCache() = default;
    ~FontCache();
    FontCache(const FontCache&) = delete;
    FontCache& operator=(const FontCache&) = delete;

    // The font cached for the style's key, or null.
    PX_IFont* Find(const ITextStyle& style);
    // Stores `font` (taking ownership) under the style's key and returns it;
    // when the key is present already `font` is deleted and the stored one
    // returned. Null is not stored.
    PX_IFont* Insert(const ITextStyle& style, PX_IFont* font);
    int Count();

private:
    struct Entry
    {
        int32_t size;
        int32_t orientation;
        int32_t style;
        char face[kFaceNameSize];
        PX_IFont* font; // owned
    };

    PX_IFont* FindLocked(const ITextStyle& style) const;

    std::mutex lock;
    std::vector<Entry> entries;
};

} // namespace toneloom
