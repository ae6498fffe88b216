// Linux and headless: the system bitmap keeps its pixels in plain memory, with
// the same size rules as the Windows section and no device context.
#include "PX_SysBitmap.h"

#include <cstdlib>

namespace toneloom {

namespace {
constexpr size_t kPixelAlignment = 64; // bytes
} // namespace

PX_SysBitmap::PX_SysBitmap(int newWidth, int newHeight)
{
    SetSize(newWidth, newHeight);
}

PX_SysBitmap::~PX_SysBitmap()
{
    ReleaseSection();
}

void PX_SysBitmap::ReleaseSection()
{
    std::free(section);
    section = nullptr;
    pixels = nullptr;
    allocatedSpan = 0;
    allocatedHeight = 0;
}

bool PX_SysBitmap::AllocateSection(int span, int rows)
{
    const size_t bytes = static_cast<size_t>(span) * static_cast<size_t>(rows) * sizeof(PX_Pixel);
    section = std::aligned_alloc(kPixelAlignment,
                                 (bytes + kPixelAlignment - 1) / kPixelAlignment * kPixelAlignment);
    pixels = static_cast<PX_Pixel*>(section);
    return section != nullptr;
}

} // namespace toneloom
