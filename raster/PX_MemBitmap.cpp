#include "PX_MemBitmap.h"

#include <cstdint>
#include <cstdlib>
#include <new>

namespace toneloom {

namespace {

constexpr size_t kPixelAlignment = 64; // bytes: one cache line
constexpr int kMaxAlignMask = 15;      // rows aligned to at most 16 pixels

int MaskFor(int rowAlignment)
{
    if (rowAlignment < 2) {
        return 0;
    }
    const int lowest = rowAlignment & -rowAlignment;
    const int mask = lowest - 1;
    return mask > kMaxAlignMask ? kMaxAlignMask : mask;
}

} // namespace

PX_MemBitmap::PX_MemBitmap(int newWidth, int newHeight, int rowAlignment)
    : alignMask(MaskFor(rowAlignment))
{
    SetSize(newWidth, newHeight);
}

PX_MemBitmap::~PX_MemBitmap()
{
    Release();
}

void PX_MemBitmap::Release()
{
    std::free(storage);
    storage = nullptr;
    pixels = nullptr;
    allocatedBytes = 0;
    width = 0;
    height = 0;
}

int PX_MemBitmap::RowSpan() const
{
    return (width + alignMask) & ~alignMask;
}

bool PX_MemBitmap::SetSize(int newWidth, int newHeight)
{
    if (newWidth < 1 || newHeight < 1) {
        Release();
        return false;
    }
    const size_t span =
        (static_cast<size_t>(newWidth) + alignMask) & ~static_cast<size_t>(alignMask);
    // Keep sizes within what int row arithmetic can address.
    if (span > INT32_MAX / 4 || static_cast<size_t>(newHeight) > (INT32_MAX / 4) / span) {
        Release();
        return false;
    }
    const size_t bytes = span * static_cast<size_t>(newHeight) * sizeof(PX_Pixel);
    if (bytes > allocatedBytes) {
        Release();
        storage = static_cast<unsigned char*>(std::malloc(bytes + kPixelAlignment - 1));
        if (storage == nullptr) {
            return false;
        }
        const uintptr_t address = reinterpret_cast<uintptr_t>(storage);
        const uintptr_t aligned = (address + kPixelAlignment - 1) & ~(kPixelAlignment - 1);
        pixels = reinterpret_cast<PX_Pixel*>(storage + (aligned - address));
        allocatedBytes = bytes;
    }
    width = newWidth;
    height = newHeight;
    return true;
}

int PX_MemBitmap::Query(int, ...)
{
    return 0;
}

} // namespace toneloom
