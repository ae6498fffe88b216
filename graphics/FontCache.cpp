#include "FontCache.h"

#include "PX_IFont.h"

#include <cstring>

namespace toneloom {

FontCache& FontCache::Module()
{
    static FontCache cache;
    return cache;
}

FontCache::~FontCache()
{
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        delete entry->font;
    }
}

PX_IFont* FontCache::FindLocked(const ITextStyle& style) const
{
    for (const Entry& entry : entries) {
        if (entry.size == style.size && entry.orientation == style.orientation &&
            entry.style == style.style && std::strcmp(entry.face, style.face) == 0) {
            return entry.font;
        }
    }
    return nullptr;
}

PX_IFont* FontCache::Find(const ITextStyle& style)
{
    std::lock_guard<std::mutex> guard(lock);
    return FindLocked(style);
}

PX_IFont* FontCache::Insert(const ITextStyle& style, PX_IFont* font)
{
    if (font == nullptr) {
        return nullptr;
    }
    std::lock_guard<std::mutex> guard(lock);
    if (PX_IFont* stored = FindLocked(style)) {
        delete font;
        return stored;
    }
    Entry entry{style.size, style.orientation, style.style, {}, font};
    std::memcpy(entry.face, style.face, sizeof entry.face);
    entry.face[kFaceNameSize - 1] = '\0';
    entries.push_back(entry);
    return font;
}

int FontCache::Count()
{
    std::lock_guard<std::mutex> guard(lock);
    return static_cast<int>(entries.size());
}

} // namespace toneloom
