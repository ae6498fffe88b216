#include "GrowBuffer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace toneloom {

namespace {

constexpr int64_t kPage = 4096;
constexpr int64_t kMaxGrowth = 4194304; // 4 MiB: the most a large block grows past the request
constexpr int64_t kAllocatorHeader = 96; // large blocks stay this far below a page multiple

// The allocation the granularity rule gives for a used size of `wanted` bytes.
int64_t AllocationFor(int64_t wanted, int64_t granularity)
{
    if (wanted < 1) {
        return 0;
    }
    int64_t growth = std::max(wanted / 2, granularity);
    if (granularity < kPage) {
        return growth + wanted;
    }
    growth = std::clamp(growth / kPage * kPage, kPage, kMaxGrowth);
    return (wanted + growth + kAllocatorHeader) / kPage * kPage - kAllocatorHeader;
}

} // namespace

GrowBuffer::GrowBuffer(int32_t granularity) : granularity(granularity > 0 ? granularity : 1) {}

GrowBuffer::~GrowBuffer()
{
    std::free(data);
}

void GrowBuffer::Free()
{
    std::free(data);
    data = nullptr;
    allocatedSize = 0;
    usedSize = 0;
}

void* GrowBuffer::Resize(int32_t requested, bool allowShrink)
{
    const int64_t wanted = std::max<int32_t>(requested, 0);
    if (wanted == usedSize && (!allowShrink || wanted >= allocatedSize / 2)) {
        return usedSize > 0 ? data : nullptr;
    }

    int64_t shrinkThreshold = 0;
    if (allowShrink && wanted < usedSize) {
        shrinkThreshold = std::max<int64_t>(
            1, std::min<int64_t>(allocatedSize / 2, allocatedSize - 4 * int64_t{granularity}));
    }

    if (wanted > allocatedSize || wanted < shrinkThreshold) {
        const int64_t allocation = AllocationFor(wanted, granularity);
        if (allocation != allocatedSize) {
            if (allocation <= 0) {
                Free();
                return nullptr;
            }
            if (allocation > std::numeric_limits<int32_t>::max()) {
                return nullptr; // beyond what a 32-bit size can describe: treat as no memory
            }
            const auto bytes = static_cast<size_t>(allocation);
            auto* grown = static_cast<uint8_t*>(std::realloc(data, bytes));
            if (grown == nullptr) {
                grown = static_cast<uint8_t*>(std::malloc(bytes));
                if (grown == nullptr) {
                    return nullptr;
                }
                if (data != nullptr) {
                    std::memcpy(grown, data,
                                static_cast<size_t>(std::min<int64_t>(usedSize, wanted)));
                    std::free(data);
                }
            }
            data = grown;
            allocatedSize = static_cast<int32_t>(allocation);
        }
    }

    usedSize = static_cast<int32_t>(wanted);
    return usedSize > 0 ? data : nullptr;
}

} // namespace toneloom
