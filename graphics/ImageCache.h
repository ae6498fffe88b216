// The module-wide cache of decoded pictures, shared by every editor of the
// loaded module: one bitmap per resource id, found by a linear search, never
// evicted, deleted when the module is unloaded (static destruction).
//
// [any thread] Every lookup and insertion takes the cache's own lock; callers
// decode outside it.
#pragma once

#include <mutex>
#include <vector>

namespace toneloom {

class PX_IBitmap;

class ImageCache
{
public:
    // The one cache of this module.
    static ImageCache& Module();

    ImageCache() = default;
    ~ImageCache();
    ImageCache(const ImageCache&) = delete;
    ImageCache& operator=(const ImageCache&) = delete;

    // The bitmap stored under `resourceId`, or null.
    PX_IBitmap* Find(int resourceId);
    // Stores `bitmap` (taking ownership) under `resourceId` and returns it.
    // When the id is already present (another editor decoded it meanwhile)
    // `bitmap` is deleted and the stored one returned. Null is not stored.
    PX_IBitmap* Insert(int resourceId, PX_IBitmap* bitmap);
    int Count();

private:
    struct Entry
    {
        int resourceId;
        PX_IBitmap* bitmap; // owned
    };

    PX_IBitmap* FindLocked(int resourceId) const;

    std::mutex lock;
    std::vector<Entry> entries;
};

} // namespace toneloom
