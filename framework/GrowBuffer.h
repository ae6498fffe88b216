// A resizable heap block with a fixed growth granularity. Lists, texts and
// state chunks of the framework all keep their bytes in one of these.
#pragma once

#include <cstdint>

namespace toneloom {

class GrowBuffer
{
public:
    // Granularity in bytes: 4096 for lists and chunks, 128 for texts.
    static constexpr int32_t kListGranularity = 4096;
    static constexpr int32_t kTextGranularity = 128;

    explicit GrowBuffer(int32_t granularity = kListGranularity);
    ~GrowBuffer();
    GrowBuffer(const GrowBuffer&) = delete;
    GrowBuffer& operator=(const GrowBuffer&) = delete;

    // Sets the used size to `requested` bytes (negative counts as 0), growing
    // or (with allowShrink) releasing memory by the granularity rule. Existing
    // bytes up to the smaller size are kept. Returns the data pointer, or null
    // when the used size is 0 or no block could be had; on allocation failure
    // the used size and contents stay as they were.
    void* Resize(int32_t requested, bool allowShrink = false);

    uint8_t* Data() { return data; }
    const uint8_t* Data() const { return data; }
    int32_t Size() const { return usedSize; }
    int32_t Allocated() const { return allocatedSize; }
    int32_t Granularity() const { return granularity; }

    template <class T> T* As() { return reinterpret_cast<T*>(data); }
    template <class T> const T* As() const { return reinterpret_cast<const T*>(data); }

    // Releases the block: data null, sizes 0.
    void Free();

private:
    uint8_t* data = nullptr;
    int32_t allocatedSize = 0;
    int32_t usedSize = 0;
    int32_t granularity;
};

} // namespace toneloom
