#include "ImageCache.h"

#include "PX_IBitmap.h"

namespace toneloom {

ImageCache& ImageCache::Module()
{
    static ImageCache cache;
    return cache;
}

ImageCache::~ImageCache()
{
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        delete entry->bitmap;
    }
}

PX_IBitmap* ImageCache::FindLocked(int resourceId) const
{
    for (const Entry& entry : entries) {
        if (entry.resourceId == resourceId) {
            return entry.bitmap;
        }
    }
    return nullptr;
}

PX_IBitmap* ImageCache::Find(int resourceId)
{
    std::lock_guard<std::mutex> guard(lock);
    return FindLocked(resourceId);
}

PX_IBitmap* ImageCache::Insert(int resourceId, PX_IBitmap* bitmap)
{
    if (bitmap == nullptr) {
        return nullptr;
    }
    std::lock_guard<std::mutex> guard(lock);
    if (PX_IBitmap* stored = FindLocked(resourceId)) {
        delete bitmap;
        return stored;
    }
    entries.push_back(Entry{resourceId, bitmap});
    return bitmap;
}

int ImageCache::Count()
{
    std::lock_guard<std::mutex> guard(lock);
    return static_cast<int>(entries.size());
}

} // namespace toneloom
